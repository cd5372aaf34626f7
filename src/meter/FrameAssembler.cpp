#include "meter/FrameAssembler.h"

#include <algorithm>

namespace mivora {

namespace {
// The tag every byte at `offset` of a frame carries in its high nibble; the
// start byte must be exactly 0x10.
bool FitsAt(std::uint8_t byte, std::size_t offset) {
    if (offset == 0) return byte == 0x10;
    return static_cast<std::size_t>(byte >> 4) == offset + 1;
}
}  // namespace

FrameAssembler::FrameAssembler() = default;

void FrameAssembler::Push(const std::uint8_t* pBytes, std::size_t nCount,
                          std::vector<RawFrame>& frames) {
    frames.clear();
    if (pBytes == nullptr) nCount = 0;
    for (std::size_t k = 0; k < nCount; ++k) {
        // Invariant: m_pending[0..m_nPending) is a consistent frame prefix.
        m_pending[m_nPending] = pBytes[k];
        ++m_nPending;
        // A byte that breaks the tag sequence condemns only the first byte of the
        // window; the rest is judged again from its own start, so a real frame
        // that begins inside garbage or a false start is still found.
        std::size_t judged = m_nPending - 1;
        while (m_nPending > 0 && !FitsAt(m_pending[judged], judged)) {
            std::copy(m_pending.begin() + 1, m_pending.begin() + m_nPending, m_pending.begin());
            --m_nPending;
            ++m_nDropped;
            judged = 0;
            while (judged < m_nPending && FitsAt(m_pending[judged], judged)) ++judged;
            if (judged == m_nPending) break;
        }
        if (m_nPending == kFrameSize) {
            frames.push_back(m_pending);
            ++m_nFrames;
            m_nPending = 0;
        }
    }
}

void FrameAssembler::Reset() {
    m_nPending = 0;
}

}  // namespace mivora
