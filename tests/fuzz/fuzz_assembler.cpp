// Arbitrary serial bytes, in arbitrary read sizes, through the assembler and the decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "meter/FrameAssembler.h"
#include "meter/MeterFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    mivora::FrameAssembler assembler;
    std::vector<mivora::RawFrame> frames;
    // The first byte picks the read size, so split frames are explored too.
    std::size_t chunk = 1 + data[0] % 23;
    std::uint64_t total = 0;
    for (std::size_t pos = 1; pos < size; pos += chunk) {
        std::size_t n = size - pos < chunk ? size - pos : chunk;
        assembler.Push(data + pos, n, frames);
        for (const auto& f : frames) {
            if (!mivora::IsWellFormedFrame(f.data())) std::abort();
            mivora::MeterFrame m;
            if (!mivora::DecodeMeterFrame(f.data(), f.size(), m)) std::abort();
            if (m.nRawReading < 0 || m.nRawReading > 65535 || m.nEmissivity < 0 ||
                m.nEmissivity > 255)
                std::abort();
        }
        total += frames.size();
    }
    // Every input byte is either in a frame, dropped or still pending.
    if (total * mivora::kFrameSize + assembler.DroppedBytes() + assembler.PendingBytes() != size - 1)
        std::abort();
    mivora::MeterFrame m;
    mivora::DecodeMeterFrame(data, size, m);
    return 0;
}
