// Replays corpus files through a fuzz target without libFuzzer, so the corpus is
// a regression test in every build.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> paths;
        if (fs::is_directory(argv[i])) {
            for (const auto& e : fs::directory_iterator(argv[i]))
                if (e.is_regular_file()) paths.push_back(e.path());
        } else {
            paths.emplace_back(argv[i]);
        }
        for (const auto& p : paths) {
            std::ifstream in(p, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "cannot read %s\n", p.string().c_str());
                return 1;
            }
            std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++files;
        }
    }
    std::printf("replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}
