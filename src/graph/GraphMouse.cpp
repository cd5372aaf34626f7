#include "graph/GraphMouse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace mivora {

namespace {

bool HasReadings(const MeasurementRecord& record) {
    return record.m_nScreenCount >= 1;
}

IntRect Normalised(Point a, Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

int ScreenCount(const MeasurementRecord& rec) {
    const int cap = static_cast<int>(std::min<std::size_t>(
        {rec.m_fScreenValue.size(), rec.m_strScreenTime.size(), rec.m_strScreenUnit.size(),
         static_cast<std::size_t>(kPointsPerLevel)}));
    return std::clamp(rec.m_nScreenCount, 0, cap);
}

}  // namespace

Point ClampToPlot(Point pt, const PlotRect& plot) {
    if (pt.x < plot.left) pt.x = plot.left;
    if (pt.x > plot.right) pt.x = plot.right;
    if (pt.y < plot.top) pt.y = plot.top;
    if (pt.y > plot.bottom) pt.y = plot.bottom;
    return pt;
}

int ReadingIndexAt(const GraphState& state, const PlotRect& plot, int x, int n) {
    const int level = state.g_nZoomLevel;
    if (level < 0 || level >= kZoomLevels) return -1;
    const double x0 = state.ReadingX(level)[0];
    const double d = static_cast<double>(state.ReadingX(level)[1]) - x0;
    if (!std::isfinite(d) || !(d > 0.0) || !std::isfinite(x0)) return -1;
    const double q = (x - x0 - plot.left) / d;
    // Truncation toward zero: anything in (-1, n) names a reading.
    if (!std::isfinite(q) || q <= -1.0 || q >= n) return -1;
    return static_cast<int>(q);
}

std::string ReadoutTimeText(const MeasurementRecord& record, int i) {
    return "time:" + record.m_strScreenTime[i];
}

std::string ReadoutTempText(const MeasurementRecord& record, int i) {
    const float v = record.m_fScreenValue[i];
    std::string text;
    if (v >= kNoValueMarker) {
        text = "-----";
    } else {
        char buf[64];
        std::snprintf(buf, sizeof buf, "temp:%.1f", static_cast<double>(v));
        text = buf;
    }
    return text + record.m_strScreenUnit[i];
}

MouseResult OnLButtonDown(GraphState& state, const ClientRect& client,
                          const MeasurementRecord& record, Point pt) {
    MouseResult r;
    const PlotRect plot = ComputePlotRect(client);
    // Fractions of an empty plot would divide by zero.
    if (!HasReadings(record) || !plot.Usable()) return r;
    r.handled = true;
    pt = ClampToPlot(pt, plot);
    const int L = state.g_nZoomLevel;
    state.g_fZoomPressX[L] = static_cast<float>(pt.x);
    state.g_fZoomPressY[L] = static_cast<float>(pt.y);
    state.g_dZoomPressFracX[L] = static_cast<double>(pt.x - plot.left) / plot.W;
    state.g_dZoomPressFracY[L] = static_cast<double>(pt.y - plot.top) / plot.H;
    state.g_ptDragAnchor = pt;
    state.g_ptDragLast = pt;
    state.g_bDragging = true;
    state.g_bBandUnmoved = true;
    r.startDragTimer = true;
    return r;
}

MouseResult OnMouseMove(GraphState& state, const ClientRect& client,
                        const MeasurementRecord& record, MeterState& meter, Point pt) {
    MouseResult r;
    const PlotRect plot = ComputePlotRect(client);
    if (!HasReadings(record) || !plot.Usable()) return r;
    r.handled = true;
    pt = ClampToPlot(pt, plot);

    // Tracking line.
    r.trackTop = plot.top;
    r.trackBottom = plot.bottom;
    if (!state.g_bTrackFresh) {
        r.eraseTrackLine = true;
        r.eraseTrackX = state.g_nTrackX;
    }
    r.drawTrackLine = true;
    r.drawTrackX = pt.x;
    state.g_nTrackX = pt.x;
    state.g_bTrackFresh = 0;

    // Readout.
    const int n = ScreenCount(record);
    state.g_nHoverIndex = ReadingIndexAt(state, plot, pt.x, n);
    if (state.g_nHoverIndex >= 0) {
        r.setReadout = true;
        r.pane1 = ReadoutTimeText(record, state.g_nHoverIndex);
        r.pane2 = ReadoutTempText(record, state.g_nHoverIndex);
    }

    // Rubber band.
    if (state.g_bDragging) {
        meter.m_bRubberBand = true;
        if (pt != state.g_ptDragAnchor) {
            r.drawDragRect = true;
            r.dragRectNew = Normalised(state.g_ptDragAnchor, pt);
            r.dragRectOld = Normalised(state.g_ptDragAnchor, state.g_ptDragLast);
            state.g_bBandUnmoved = false;
        }
        state.g_ptDragLast = pt;
    }
    return r;
}

MouseResult OnLButtonUp(GraphState& state, const ClientRect& client,
                        const MeasurementRecord& record, MeterState& meter, Point pt) {
    MouseResult r;
    const PlotRect plot = ComputePlotRect(client);
    if (!HasReadings(record) || !plot.Usable()) return r;
    r.handled = true;
    pt = ClampToPlot(pt, plot);
    const int L = state.g_nZoomLevel;
    state.g_fZoomReleaseX[L] = static_cast<float>(pt.x);
    state.g_fZoomReleaseY[L] = static_cast<float>(pt.y);
    state.g_dZoomReleaseFracX[L] = static_cast<double>(pt.x - plot.left) / plot.W;
    state.g_dZoomReleaseFracY[L] = static_cast<double>(pt.y - plot.top) / plot.H;

    if (state.g_bDragging) {
        r.eraseDragRect = true;
        r.dragRectErase = Normalised(state.g_ptDragAnchor, state.g_ptDragLast);
        state.g_bDragging = false;
        meter.m_bRubberBand = false;
        // The drag is over: its watch has nothing left to do.
        r.stopDragTimer = true;
    }
    if (state.g_bBandUnmoved) return r;

    if (state.g_fZoomReleaseX[L] < state.g_fZoomPressX[L]) {
        std::swap(state.g_fZoomReleaseX[L], state.g_fZoomPressX[L]);
    }
    if (state.g_fZoomReleaseY[L] < state.g_fZoomPressY[L]) {
        std::swap(state.g_fZoomReleaseY[L], state.g_fZoomPressY[L]);
    }
    const double yTop = state.g_fZoomPressY[L];
    const double yBottom = state.g_fZoomReleaseY[L];
    const double bw = static_cast<double>(state.g_fZoomReleaseX[L]) - state.g_fZoomPressX[L];
    const double bh = yBottom - yTop;

    if (L < kMaxZoomLevel) {
        const double lo = state.g_fAxisValue[L][0];
        const double hi = state.g_fAxisValue[L][12];
        float* next = state.g_fAxisValue[L + 1];
        next[0] = static_cast<float>(lo + (plot.bottom - yBottom) * (hi - lo) / plot.H);
        next[1] = static_cast<float>(lo + ((plot.bottom - yBottom) + (yBottom - yTop) / 12) *
                                              (hi - lo) / plot.H);
        const double division = static_cast<double>(next[1] - next[0]);
        // A band under one pixel wide or high would scale the level by W / 0.
        if (std::isfinite(division) && division > 0.1 && bw >= 1.0 && bh >= 1.0) {
            state.g_nZoomLevel = static_cast<std::int8_t>(L + 1);
            r.zoomLevelAdded = true;
        }
    }
    state.g_bNotZoomed = 0;
    state.g_bFirstVisibleSet = 0;
    r.repaint = true;
    state.g_bBandUnmoved = true;
    return r;
}

MouseResult OnDragWatch(GraphState& state, const ClientRect& client, MeterState& meter,
                        Point cursor) {
    MouseResult r;
    r.handled = true;
    const PlotRect plot = ComputePlotRect(client);
    const bool outside = cursor.x < plot.left || cursor.x > plot.right || cursor.y < plot.top ||
                         cursor.y > plot.bottom;
    if (outside && state.g_bDragging) {
        r.repaint = true;
        state.g_bDragging = false;
        meter.m_bRubberBand = false;
        state.g_bBandUnmoved = true;
        r.stopDragTimer = true;
    }
    return r;
}

MouseResult OnUndoZoom(GraphState& state) {
    MouseResult r;
    r.handled = true;
    state.g_nZoomLevel = 0;
    state.g_bNotZoomed = 1;
    state.g_fBaseReadingStep = state.g_fReadingStep;
    r.disableAlarmScroll = true;
    r.repaint = true;
    return r;
}

}  // namespace mivora
