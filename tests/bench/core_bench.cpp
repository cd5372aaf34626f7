// Throughput of the receive path and of the data file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "meter/Acquisition.h"
#include "meter/FrameAssembler.h"
#include "meter/FrameEncoder.h"
#include "meter/MeterFrame.h"
#include "record/DataFile.h"

namespace {

using namespace mivora;

// A stream of frames with a little garbage between some of them.
std::vector<std::uint8_t> MakeStream(int frames) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < frames; ++i) {
        RawFrame f = EncodeMeterFrame(i % 9, 95, (i * 37) % 65536, kStatusCelsius);
        out.insert(out.end(), f.begin(), f.end());
        if (i % 7 == 0) {
            out.push_back(0x10);
            out.push_back(0xFF);
        }
    }
    return out;
}

void BM_AssembleDecode(benchmark::State& st) {
    const std::vector<std::uint8_t> stream = MakeStream(4096);
    FrameAssembler assembler;
    std::vector<RawFrame> frames;
    frames.reserve(64);
    MeterFrame decoded;
    const std::size_t chunk = 14;  // what a receive event typically carries
    for (auto _ : st) {
        int n = 0;
        for (std::size_t pos = 0; pos < stream.size(); pos += chunk) {
            std::size_t len = std::min(chunk, stream.size() - pos);
            assembler.Push(stream.data() + pos, len, frames);
            for (const auto& f : frames) n += DecodeMeterFrame(f.data(), f.size(), decoded);
        }
        benchmark::DoNotOptimize(n);
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                         static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_AssembleDecode);

void BM_SaveLoad(benchmark::State& st) {
    const int n = static_cast<int>(st.range(0));
    MeasurementRecord record;
    MeterState state;
    for (int i = 0; i < n; ++i) {
        record.m_fValue[i] = static_cast<float>(i % 500) * 0.5f - 50.0f;
        record.m_strUnit[i] = "C";
        record.m_strTime[i] = "04-15-07/10:20:30";
        record.m_tTime[i] = 1176632430 + i;
    }
    record.m_nTotalCount = n;
    state.m_strMaxText = "199.5";
    state.m_strMinText = "-50.0";
    DataFileContents contents;
    std::string error;
    for (auto _ : st) {
        std::vector<std::uint8_t> bytes = EncodeDataFile(record, state);
        bool ok = DecodeDataFile(bytes.data(), bytes.size(), contents, error);
        if (!ok) st.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(contents.count);
    }
}
BENCHMARK(BM_SaveLoad)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace
