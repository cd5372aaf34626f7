#pragma once
// Builds well-formed meter frames: the inverse of DecodeMeterFrame, for the
// simulator, the tests and the fuzz seeds.
#include <cstdint>

#include "meter/FrameAssembler.h"
#include "meter/MeterFrame.h"

namespace mivora {

// Status byte bits as the meter sends them.
constexpr std::uint8_t kStatusNegative = 0x01;
constexpr std::uint8_t kStatusCelsius = 0x04;
constexpr std::uint8_t kStatusLocked = 0x10;
constexpr std::uint8_t kStatusLogHasValue = 0x20;
constexpr std::uint8_t kStatusLogRecord = 0x40;

// Each field is cut to the bits the wire carries: mode code 0..15, emissivity
// 0..255, raw reading 0..65535.
RawFrame EncodeMeterFrame(int nModeCode, int nEmissivity, int nRawReading, std::uint8_t byStatus);
// Uses nModeCode, nEmissivity, nRawReading and byStatus of a decoded frame.
RawFrame EncodeMeterFrame(const MeterFrame& frame);

}  // namespace mivora
