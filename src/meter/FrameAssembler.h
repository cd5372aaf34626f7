#pragma once
// Finds well-formed frames in the byte stream of a serial line, whatever the
// chunking of the reads.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "meter/MeterFrame.h"

namespace mivora {

using RawFrame = std::array<std::uint8_t, kFrameSize>;

class FrameAssembler {
  public:
    FrameAssembler();
    // Appends the bytes of one read and moves every complete well-formed frame to
    // `frames` (cleared first), in arrival order. Bytes that cannot start a frame
    // are dropped one at a time; a tail too short to judge waits for the next read.
    void Push(const std::uint8_t* pBytes, std::size_t nCount, std::vector<RawFrame>& frames);
    // Forgets the bytes waiting for the rest of a frame; the counters keep going.
    void Reset();
    // Bytes dropped because no well-formed frame started with them.
    std::uint64_t DroppedBytes() const { return m_nDropped; }
    std::uint64_t FrameCount() const { return m_nFrames; }
    std::size_t PendingBytes() const { return m_nPending; }

  private:
    std::array<std::uint8_t, kFrameSize> m_pending{};
    std::size_t m_nPending = 0;
    std::uint64_t m_nDropped = 0;
    std::uint64_t m_nFrames = 0;
};

}  // namespace mivora
