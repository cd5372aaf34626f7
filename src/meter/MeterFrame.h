#pragma once
// Decoding of the meter's ten-byte display frames.
#include <cstddef>
#include <cstdint>
#include <string>

namespace mivora {

constexpr std::size_t kFrameSize = 10;

struct MeterFrame {
    int nModeCode = 0;
    std::string strMode;  // empty for an unknown mode: keep the previous text
    int nEmissivity = 0;
    std::string strEmissivity;
    int nRawReading = 0;
    float fReading = 0.0f;
    std::uint8_t byStatus = 0;
    bool bNegative = false;
    bool bCelsius = false;
    bool bLocked = false;
    bool bLogHasValue = false;
    bool bLogRecord = false;
};

// Decodes the first ten bytes. False when fewer than ten bytes are given or the
// start byte is not 0x10; the frame is then left unspecified.
bool DecodeMeterFrame(const std::uint8_t* pBytes, std::size_t nCount, MeterFrame& frame);

// True when the ten bytes carry the position tags 1..A in their high nibbles and
// the first byte is exactly 0x10.
bool IsWellFormedFrame(const std::uint8_t* pBytes);

}  // namespace mivora
