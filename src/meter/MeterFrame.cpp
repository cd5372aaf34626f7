#include "meter/MeterFrame.h"

#include <cstdio>

namespace mivora {

namespace {
const char* const kModeTexts[] = {"EMS", "MAX", "MIN", "DIF", "AVG", "HAL", "LAL", "TK", "LOG"};
constexpr unsigned kModeCount = sizeof kModeTexts / sizeof kModeTexts[0];
}  // namespace

bool DecodeMeterFrame(const std::uint8_t* pBytes, std::size_t nCount, MeterFrame& frame) {
    if (pBytes == nullptr || nCount < kFrameSize) return false;
    // Signed 32-bit arithmetic on the raw bytes: unexpected tags shift the numbers.
    const std::int32_t b0 = pBytes[0], b1 = pBytes[1], b2 = pBytes[2], b3 = pBytes[3],
                       b4 = pBytes[4], b5 = pBytes[5], b6 = pBytes[6], b7 = pBytes[7],
                       b8 = pBytes[8], b9 = pBytes[9];
    if (b0 != 0x10) return false;

    frame.nModeCode = b1 - 0x20;
    const auto code = static_cast<unsigned>(frame.nModeCode);
    frame.strMode = code < kModeCount ? kModeTexts[code] : "";

    frame.nEmissivity = (b2 - 0x34) * 16 + b3;
    const float fEmissivity = static_cast<float>(frame.nEmissivity) * 0.01f;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(fEmissivity));
    frame.strEmissivity = buf;

    frame.nRawReading = b6 * 4096 + b7 * 256 + b4 * 16 + b5 - 0x78560;
    // The product is formed in double precision and rounded once to single.
    const float fValue =
        static_cast<float>(static_cast<double>(frame.nRawReading) * static_cast<double>(0.1f));

    frame.byStatus = static_cast<std::uint8_t>(((b8 + 6) * 16 + b9) & 0xFF);
    const unsigned s = frame.byStatus;
    frame.bNegative = (s & 0x01u) != 0;
    frame.bCelsius = (s & 0x04u) != 0;
    frame.bLocked = (s & 0x10u) != 0;
    frame.bLogHasValue = (s & 0x20u) != 0;
    frame.bLogRecord = (s & 0x40u) != 0;
    frame.fReading = frame.bNegative ? -fValue : fValue;
    return true;
}

bool IsWellFormedFrame(const std::uint8_t* pBytes) {
    if (pBytes == nullptr || pBytes[0] != 0x10) return false;
    for (std::size_t i = 1; i < kFrameSize; ++i) {
        if ((pBytes[i] >> 4) != i + 1) return false;
    }
    return true;
}

}  // namespace mivora
