#pragma once
// The trend graph's state: horizontal scale, value window, zoom stack, point
// tables, label tables, tracking line and rubber band. One object per graph;
// the big point tables are allocated once, here, and never per drawing.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mivora {

constexpr int kZoomLevels = 100;        // rows of the zoom tables (levels 0..99)
constexpr int kMaxZoomLevel = 99;       // deepest level a zoom step may reach
constexpr int kPointsPerLevel = 17280;  // entries per point-table row
constexpr int kAxisDivisions = 13;      // value-axis grid values per level
constexpr int kIndexLabels = 20;
constexpr int kIndexTicks = 10;
constexpr int kValueScrollMax = 72;

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Point& o) const { return !(*this == o); }
};

struct GraphState {
    GraphState();

    // Horizontal scale.
    float g_fReadingStep = 0.0f;
    int g_nReadingsPerScreen = 100;
    float g_fBaseReadingStep = 0.0f;
    int g_nBaseReadingsPerScreen = 0;

    // Value window.
    float g_fAxisValue[kZoomLevels][kAxisDivisions] = {};
    int g_nBaseScrollPos = 0;

    // Zoom stack.
    int g_bNotZoomed = 1;
    std::int8_t g_nZoomLevel = 0;
    std::array<double, kZoomLevels> g_dZoomPressFracX{};
    std::array<double, kZoomLevels> g_dZoomPressFracY{};
    std::array<double, kZoomLevels> g_dZoomReleaseFracX{};
    std::array<double, kZoomLevels> g_dZoomReleaseFracY{};
    std::array<float, kZoomLevels> g_fZoomPressX{};
    std::array<float, kZoomLevels> g_fZoomPressY{};
    std::array<float, kZoomLevels> g_fZoomReleaseX{};
    std::array<float, kZoomLevels> g_fZoomReleaseY{};
    int g_bFirstVisibleSet = 1;

    // Point tables: unzoomed points, and one row per zoom level.
    std::vector<float> g_fPointX;
    std::vector<float> g_fPointY;
    std::vector<float> g_fReadingX;  // kZoomLevels rows of kPointsPerLevel
    std::vector<float> g_fReadingY;
    float* ReadingX(int level) { return g_fReadingX.data() + Row(level); }
    float* ReadingY(int level) { return g_fReadingY.data() + Row(level); }
    const float* ReadingX(int level) const { return g_fReadingX.data() + Row(level); }
    const float* ReadingY(int level) const { return g_fReadingY.data() + Row(level); }

    // Alarm rows at the current level, plot-relative pixels.
    float g_fAlarmHighY = 0.0f;
    float g_fAlarmLowY = 0.0f;

    // Axis label tables.
    std::array<int, kIndexLabels> g_nIndexLabel{};
    std::array<int, kIndexTicks> g_nIndexTick{};

    // Rubber band.
    bool g_bDragging = false;
    Point g_ptDragAnchor;
    Point g_ptDragLast;
    bool g_bBandUnmoved = true;

    // Tracking line.
    int g_nTrackX = 0;
    int g_bTrackFresh = 1;
    int g_nHoverIndex = 0;

    // View members the graph owns.
    int m_nValueScrollPos = kValueScrollMax;
    int m_nFirstVisible = 0;
    int m_nAlarmHigh = 150;
    int m_nAlarmLow = -50;
    unsigned char m_bAlarmHighFromBar = 1;
    unsigned char m_bAlarmLowFromBar = 1;
    std::array<std::string, kAxisDivisions> m_strValueLabel;
    std::array<std::string, kIndexLabels> m_strIndexLabel;

    // Set by the first drawing that computed the value window of level 0; until
    // then printing computes that window itself from the scroll position.
    bool m_bAxisComputed = false;

    // The level whose window is shown: 0 unless a zoom is in effect.
    int CurrentLevel() const { return g_bNotZoomed ? 0 : g_nZoomLevel; }

  private:
    static std::size_t Row(int level) {
        return static_cast<std::size_t>(level) * static_cast<std::size_t>(kPointsPerLevel);
    }
};

// Value of division k of level 0 while no zoom is in effect, at a scroll position.
float UnzoomedAxisValue(int scrollPos, int k);

}  // namespace mivora
