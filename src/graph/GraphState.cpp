#include "graph/GraphState.h"

namespace mivora {

namespace {
constexpr std::size_t kTableSize =
    static_cast<std::size_t>(kZoomLevels) * static_cast<std::size_t>(kPointsPerLevel);
}  // namespace

GraphState::GraphState()
    : g_fPointX(kPointsPerLevel, 0.0f),
      g_fPointY(kPointsPerLevel, 0.0f),
      g_fReadingX(kTableSize, 0.0f),
      g_fReadingY(kTableSize, 0.0f) {
    // Label texts are short ("-1000.00"), so formatting them never allocates.
    for (auto& s : m_strValueLabel) s.reserve(16);
    for (auto& s : m_strIndexLabel) s.reserve(16);
}

float UnzoomedAxisValue(int scrollPos, int k) {
    return static_cast<float>(25 * (k + 68 - scrollPos));
}

}  // namespace mivora
