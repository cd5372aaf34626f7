#include "meter/FrameEncoder.h"

namespace mivora {

RawFrame EncodeMeterFrame(int nModeCode, int nEmissivity, int nRawReading, std::uint8_t byStatus) {
    const unsigned mode = static_cast<unsigned>(nModeCode) & 0xFu;
    const unsigned emis = static_cast<unsigned>(nEmissivity) & 0xFFu;
    const unsigned raw = static_cast<unsigned>(nRawReading) & 0xFFFFu;
    const unsigned status = byStatus;
    // Data nibbles in wire order: reading low byte first, each byte high nibble first.
    const unsigned nibbles[kFrameSize] = {
        0u,         mode,      emis >> 4,         emis & 0xFu, (raw >> 4) & 0xFu,
        raw & 0xFu, raw >> 12, (raw >> 8) & 0xFu, status >> 4, status & 0xFu,
    };
    RawFrame frame{};
    for (std::size_t i = 0; i < kFrameSize; ++i) {
        frame[i] = static_cast<std::uint8_t>(((i + 1) << 4) | nibbles[i]);
    }
    return frame;
}

RawFrame EncodeMeterFrame(const MeterFrame& frame) {
    return EncodeMeterFrame(frame.nModeCode, frame.nEmissivity, frame.nRawReading, frame.byStatus);
}

}  // namespace mivora
