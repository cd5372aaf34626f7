// mivora-cli: decode frames, list data files, record headless, simulate a meter,
// recover an interrupted recording.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace mivora::cli {

int UsageError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "mivora-cli %s: %s\nTry 'mivora-cli %s --help'.\n", command.c_str(),
                 message.c_str(), command.c_str());
    return kExitUsage;
}

int InputError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "mivora-cli %s: %s\n", command.c_str(), message.c_str());
    return kExitBadInput;
}

}  // namespace mivora::cli

namespace {

const char* const kUsage =
    "Usage: mivora-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  decode HEX...         decode one ten-byte meter frame\n"
    "  dump FILE.Mvrlog      print the text listing of a data file (--csv for CSV)\n"
    "  record --device PATH  record readings from the meter until stopped\n"
    "  simulate --pty        simulate a meter on a pseudo-terminal (or --device PATH)\n"
    "  recover JOURNAL --out FILE.Mvrlog\n"
    "                        save the readings of an interrupted recording\n"
    "\n"
    "Run 'mivora-cli COMMAND --help' for the options of a command.\n"
    "Exit status: 0 success, 1 bad input, 2 usage error.\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace mivora::cli;
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "decode") return RunDecode(args);
    if (command == "dump") return RunDump(args);
    if (command == "record") return RunRecord(argc, argv, args);
    if (command == "simulate") return RunSimulate(args);
    if (command == "recover") return RunRecover(args);
    std::fprintf(stderr, "mivora-cli: unknown command \"%s\"\n\n%s", command.c_str(), kUsage);
    return kExitUsage;
}
