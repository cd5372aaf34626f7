#include "graph/GraphDrawing.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace mivora {

namespace {

constexpr float kTwelfthF = 1.0f / 12.0f;
constexpr double kTwelfthD = 1.0 / 12.0;
constexpr int kFirstLabelRows = 20;

bool FinitePositive(double v) {
    return std::isfinite(v) && v > 0.0;
}

// A double stored into a float: beyond the float range it becomes infinite
// instead of being an undefined conversion.
float StoreFloat(double v) {
    if (v > static_cast<double>(FLT_MAX)) return std::numeric_limits<float>::infinity();
    if (v < -static_cast<double>(FLT_MAX)) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

// Truncation of a count or index: clamped to [lo, hi], NaN gives lo.
int TruncInt(double v, int lo, int hi) {
    if (std::isnan(v)) return lo;
    if (v < lo) return lo;
    if (v > hi) return hi;
    return static_cast<int>(v);
}

constexpr int kIndexLimit = 1000000;

void FormatInt(std::string& out, int v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d", v);
    out.assign(buf);
}

void FormatValue(std::string& out, float v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(v));
    out.assign(buf);
}

// Row of a value at a level with bottom value a0 and top value a12.
float ValueRow(double value, double a0, double a12, int H) {
    const double span = a12 - a0;
    if (!std::isfinite(span) || span == 0.0) return 0.0f;
    return StoreFloat(H - (value - a0) * H / span);
}

struct Divisions {
    int count = 0;
    int k = 0;
};

// Vertical divisions of the unzoomed graph: how many lines, and readings per line.
Divisions UnzoomedDivisions(const GraphState& st, int W, int n, bool reloaded) {
    Divisions d;
    const double step = st.g_fReadingStep;
    if (!reloaded || n >= 13) {
        if (!FinitePositive(step)) return d;
        d.count = kFirstLabelRows;
        d.k = TruncInt((W / 12) / step, 0, kIndexLimit);
    } else if (n == 1) {
        d.count = 1;
        d.k = 0;
    } else if (n >= 2) {
        if (!FinitePositive(step)) return d;
        d.count = n;
        d.k = TruncInt((W / (n - 1)) / step, 0, kIndexLimit);
    }
    return d;
}

// Readings on the screen, bounded by the storage actually there.
int ScreenCount(const MeasurementRecord& rec) {
    const int cap = static_cast<int>(std::min<std::size_t>(
        rec.m_fScreenValue.size(), static_cast<std::size_t>(kPointsPerLevel)));
    return std::clamp(rec.m_nScreenCount, 0, cap);
}

// Rebuilds levels 1..g_nZoomLevel from level 0 and the stored bands. A level
// whose band is under a pixel or whose scale is not finite is refused: the zoom
// level drops to the last sound one.
void RebuildZoomLevels(GraphState& st, const PlotRect& p, int n) {
    const int W = p.W;
    const int H = p.H;
    for (int z = 1; z <= st.g_nZoomLevel; ++z) {
        const int b = z - 1;
        float px = StoreFloat(p.left + W * st.g_dZoomPressFracX[b]);
        float rx = StoreFloat(p.left + W * st.g_dZoomReleaseFracX[b]);
        float py = StoreFloat(p.top + H * st.g_dZoomPressFracY[b]);
        float ry = StoreFloat(p.top + H * st.g_dZoomReleaseFracY[b]);
        if (rx < px) {
            const float old = rx;
            rx = px;
            px = static_cast<float>(TruncInt(old, -kIndexLimit, kIndexLimit));
        }
        if (ry < py) {
            const float old = ry;
            ry = py;
            py = static_cast<float>(TruncInt(old, -kIndexLimit, kIndexLimit));
        }
        st.g_fZoomPressX[b] = px;
        st.g_fZoomReleaseX[b] = rx;
        st.g_fZoomPressY[b] = py;
        st.g_fZoomReleaseY[b] = ry;
        const float bw = rx - px;
        const float bh = ry - py;

        bool sound = bw >= 1.0f && bh >= 1.0f;
        if (sound) {
            const double offX = static_cast<double>(px) - p.left;
            const double offY = static_cast<double>(py) - p.top;
            const float* prevX = st.ReadingX(z - 1);
            const float* prevY = st.ReadingY(z - 1);
            float* curX = st.ReadingX(z);
            float* curY = st.ReadingY(z);
            for (int i = 0; i < n; ++i) {
                curX[i] = StoreFloat((prevX[i] - offX) * W / bw);
                curY[i] = StoreFloat((prevY[i] - offY) * H / bh);
                sound = sound && std::isfinite(curX[i]) && std::isfinite(curY[i]);
            }
            const double a0 = st.g_fAxisValue[z - 1][0];
            const double a12 = st.g_fAxisValue[z - 1][12];
            for (int k = 0; k < kAxisDivisions; ++k) {
                st.g_fAxisValue[z][k] = StoreFloat(
                    a0 + (a12 - a0) *
                             ((p.bottom - static_cast<double>(ry)) +
                              k * static_cast<double>(bh) * static_cast<double>(kTwelfthF)) /
                             H);
            }
            const double span = static_cast<double>(st.g_fAxisValue[z][12]) - st.g_fAxisValue[z][0];
            sound = sound && std::isfinite(span) && span > 0.0;
        }
        if (!sound) {
            st.g_nZoomLevel = static_cast<std::int8_t>(z - 1);
            break;
        }
    }
}

struct PendingNumber {
    int label;
    int x;
};

}  // namespace

int TruncPixel(double v) {
    if (std::isnan(v)) return 0;
    if (v > kPixelLimit) v = kPixelLimit;
    if (v < -kPixelLimit) v = -kPixelLimit;
    return static_cast<int>(v);
}

PlotRect ComputePlotRect(const ClientRect& client) {
    PlotRect p;
    p.left = client.left + 70;
    p.top = client.top + 170;
    p.right = client.right - 310;
    p.bottom = client.bottom - 75;
    p.W = p.right - p.left;
    p.H = p.bottom - p.top;
    return p;
}

int ValueLabelWidthClass(float v) {
    if (v < -1000.0f) return 0;
    if (v <= -100.0f) return 1;
    if (v <= -10.0f) return 2;
    if (v < 0.0f) return 3;
    if (v < 10.0f) return 4;
    if (v < 100.0f) return 3;
    if (v < 1000.0f) return 2;
    return 1;
}

int ValueLabelTextX(float v) {
    return static_cast<int>(ValueLabelWidthClass(v) * 7.5 + 2.0);
}

void ColourSegment(float vs, float ve, float xs, float ys, float xe, float ye, int hi, int lo,
                   float yH, float yL, std::vector<TracePiece>& out) {
    auto piece = [&out](float ax, float ay, float bx, float by, TraceColour c) {
        out.push_back({TruncPixel(ax), TruncPixel(ay), TruncPixel(bx), TruncPixel(by), c});
    };
    const double dxs = xs, dys = ys, dxe = xe, dye = ye, dyH = yH, dyL = yL;
    const float fhi = static_cast<float>(hi);
    const float flo = static_cast<float>(lo);

    if ((vs >= fhi && ve >= fhi) || (vs <= flo && ve <= flo)) {
        piece(xs, ys, xe, ye, TraceColour::Red);
    }
    if (vs < fhi && fhi < ve) {
        const double slope = (dys - dye) / (dxe - dxs);
        const float xh = StoreFloat(dxe - (dyH - dye) / slope);
        piece(xh, yH, xe, ye, TraceColour::Red);
        if (vs >= flo) {
            piece(xh, yH, xs, ys, TraceColour::Line);
        } else {
            const float xl = StoreFloat(dxs + (dys - dyL) / slope);
            piece(xl, yL, xh, yH, TraceColour::Line);
            piece(xl, yL, xs, ys, TraceColour::Red);
        }
    }
    if (ve < fhi && fhi < vs) {
        const double slope = (dye - dys) / (dxe - dxs);
        const float xh = StoreFloat(dxs + (dyH - dys) / slope);
        piece(xh, yH, xs, ys, TraceColour::Red);
        if (ve >= flo) {
            piece(xh, yH, xe, ye, TraceColour::Line);
        } else {
            const float xl = StoreFloat(dxe - (dye - dyL) / slope);
            piece(xl, yL, xh, yH, TraceColour::Line);
            piece(xl, yL, xe, ye, TraceColour::Red);
        }
    }
    if (vs < flo && flo < ve && ve <= fhi) {
        const double slope = (dys - dye) / (dxe - dxs);
        const float xl = StoreFloat(dxe - (dyL - dye) / slope);
        piece(xl, yL, xs, ys, TraceColour::Red);
        piece(xl, yL, xe, ye, TraceColour::Line);
    }
    if (ve < flo && flo < vs && vs <= fhi) {
        const double slope = (dye - dys) / (dxe - dxs);
        const float xl = StoreFloat(dxs + (dyL - dys) / slope);
        piece(xl, yL, xe, ye, TraceColour::Red);
        piece(xl, yL, xs, ys, TraceColour::Line);
    }
    if (flo <= vs && vs <= fhi && flo <= ve && ve <= fhi) {
        piece(xs, ys, xe, ye, TraceColour::Line);
    }
}

void GraphDrawing::Clear() {
    std::vector<int> vx = std::move(verticalGridX);
    std::vector<int> hy = std::move(horizontalGridY);
    std::vector<ReadingNumber> rn = std::move(readingNumbers);
    std::vector<TracePiece> tr = std::move(trace);
    std::array<ValueLabel, kAxisDivisions> labels = std::move(valueLabels);
    std::string st = std::move(statusTime);
    std::string sp = std::move(statusTemp);
    *this = GraphDrawing();
    vx.clear();
    hy.clear();
    rn.clear();
    tr.clear();
    st.clear();
    sp.clear();
    for (ValueLabel& l : labels) {
        l.text.clear();
        l.widthClass = l.tickY = l.textX = l.textY = 0;
    }
    verticalGridX = std::move(vx);
    horizontalGridY = std::move(hy);
    readingNumbers = std::move(rn);
    trace = std::move(tr);
    valueLabels = std::move(labels);
    statusTime = std::move(st);
    statusTemp = std::move(sp);
}

void ComputeDrawing(GraphState& st, const ClientRect& client, MeasurementRecord& rec,
                    const DrawingInputs& in, GraphDrawing& out) {
    out.Clear();
    // Plot rectangle.
    const PlotRect p = ComputePlotRect(client);
    out.plot = p;
    const int W = p.W;
    const int H = p.H;
    const bool usable = p.Usable();
    out.canDraw = usable;
    const int n = ScreenCount(rec);
    const bool reloaded = rec.m_bReloaded != 0;
    const float* v = rec.m_fScreenValue.data();

    // Alarm limits from the bar.
    if (st.m_bAlarmHighFromBar) st.m_nAlarmHigh = in.alarmHighFromBar;
    if (st.m_bAlarmLowFromBar) st.m_nAlarmLow = in.alarmLowFromBar;

    // Status panes on an empty series.
    if (n == 0) {
        out.setStatusTexts = true;
        out.statusTime = "time:";
        out.statusTemp = "temp:";
    }

    // Buffers.
    out.fillBackground = usable;
    out.labelStrip = {0, p.top - 7, p.left, p.top - 7 + H + 17};

    // Value scroll bar.
    out.valueScrollPos = st.m_nValueScrollPos;

    // Reset on an empty series, then the reading step. Without a plot, or in
    // fit-all mode without readings, the step is left as it was.
    if (n == 0 && !reloaded) {
        st.g_fBaseReadingStep = st.g_fReadingStep;
        st.g_nReadingsPerScreen = 100;
        st.g_nZoomLevel = 0;
        st.g_bNotZoomed = 1;
    }
    if (usable) {
        if (!reloaded) {
            if (st.g_nReadingsPerScreen > 1) {
                st.g_fReadingStep =
                    StoreFloat(static_cast<double>(W) / (st.g_nReadingsPerScreen - 1));
            }
        } else if (n > 0) {
            st.g_fReadingStep = StoreFloat(static_cast<double>(W) / n);
        }
    }

    // Tracking line.
    if (rec.m_bNewData && !st.g_bTrackFresh) {
        if (usable) {
            out.restoreTrackLine = true;
            out.trackLineX = st.g_nTrackX - p.left;
        }
        rec.m_bNewData = false;
        out.newDataCleared = true;
    } else if (!rec.m_bNewData) {
        st.g_bTrackFresh = 1;
        out.trackFreshSet = true;
    }

    // Grid.
    if (usable) {
        if (st.g_bNotZoomed) {
            const Divisions d = UnzoomedDivisions(st, W, n, reloaded);
            for (int j = 0; j < d.count; ++j) {
                out.verticalGridX.push_back(
                    TruncPixel(static_cast<double>(j) * d.k * st.g_fReadingStep));
            }
        }
        for (int i = 1; i <= 12; ++i) out.horizontalGridY.push_back(TruncPixel(i * H * kTwelfthD));
    }

    // Value window of level 0.
    for (int k = 0; k < kAxisDivisions; ++k) {
        if (st.g_bNotZoomed) {
            st.g_fAxisValue[0][k] = UnzoomedAxisValue(st.m_nValueScrollPos, k);
        } else {
            st.g_fAxisValue[0][k] = static_cast<float>(25 * (k + 68 - st.g_nBaseScrollPos) +
                                                       (72 - st.m_nValueScrollPos));
        }
    }
    if (st.g_bNotZoomed) st.g_nBaseScrollPos = st.m_nValueScrollPos;
    st.m_bAxisComputed = true;

    // Reversed limits are exchanged for good; then their rows at the current level.
    if (st.m_nAlarmHigh < st.m_nAlarmLow) std::swap(st.m_nAlarmHigh, st.m_nAlarmLow);
    if (usable) {
        const int z = st.CurrentLevel();
        st.g_fAlarmHighY =
            ValueRow(st.m_nAlarmHigh, st.g_fAxisValue[z][0], st.g_fAxisValue[z][12], H);
        st.g_fAlarmLowY =
            ValueRow(st.m_nAlarmLow, st.g_fAxisValue[z][0], st.g_fAxisValue[z][12], H);
    }

    // Unzoomed pass: points of level 0, the trace when not zoomed, window growth.
    if (usable && n >= 2) {
        const double a0 = st.g_fAxisValue[0][0];
        const double a12 = st.g_fAxisValue[0][12];
        float* readX0 = st.ReadingX(0);
        float* readY0 = st.ReadingY(0);
        st.g_fPointX[0] = 0.0f;
        st.g_fPointY[0] = ValueRow(v[0], a0, a12, H);
        readX0[0] = 0.0f;
        readY0[0] = st.g_fPointY[0];
        for (int i = 1; i < n; ++i) {
            st.g_fPointX[i] = StoreFloat(static_cast<double>(i) * st.g_fReadingStep);
            st.g_fPointY[i] = ValueRow(v[i], a0, a12, H);
            readY0[i] = st.g_fPointY[i];
            double s0 = st.g_fReadingStep;
            if (!reloaded) {
                if (st.g_bNotZoomed) {
                    st.g_fBaseReadingStep = st.g_fReadingStep;
                    st.g_nBaseReadingsPerScreen = st.g_nReadingsPerScreen;
                } else if (st.g_nBaseReadingsPerScreen >= 2) {
                    st.g_fBaseReadingStep =
                        StoreFloat(static_cast<double>(W) / (st.g_nBaseReadingsPerScreen - 1));
                } else {
                    // Zoomed before any unzoomed drawing of two readings: keep the
                    // current real-time scale instead of W / (0 - 1).
                    st.g_fBaseReadingStep = st.g_fReadingStep;
                }
                s0 = st.g_fBaseReadingStep;
            }
            readX0[i] = StoreFloat(static_cast<double>(i) * s0);
            if (st.g_bNotZoomed) {
                ColourSegment(v[i - 1], v[i], st.g_fPointX[i - 1], st.g_fPointY[i - 1],
                              st.g_fPointX[i], st.g_fPointY[i], st.m_nAlarmHigh, st.m_nAlarmLow,
                              st.g_fAlarmHighY, st.g_fAlarmLowY, out.trace);
            }
            if (!reloaded && n >= st.g_nReadingsPerScreen + 1) {
                const double w = W;
                st.g_fReadingStep = StoreFloat((w - w * 1.0 / 12.0) / st.g_nReadingsPerScreen);
                st.g_nReadingsPerScreen =
                    TruncInt(w / st.g_fReadingStep + 1.0, 2, std::numeric_limits<int>::max());
                out.repaintRequested = true;
            }
        }
    }

    // Reading numbers (unzoomed) or the zoomed graph.
    PendingNumber pending[kIndexLabels];
    int pendingCount = 0;
    if (usable) {
        if (st.g_bNotZoomed) {
            const Divisions d = UnzoomedDivisions(st, W, n, reloaded);
            for (int j = 0; j < d.count; ++j) {
                st.g_nIndexLabel[j] = 1 + j * d.k;
                const double pos = static_cast<double>(j) * d.k * st.g_fReadingStep + p.left;
                if (pos < p.right) pending[pendingCount++] = {j, TruncPixel(pos)};
            }
        } else {
            out.setAlarmScrollRange = true;
            out.alarmScrollMax = n;
            RebuildZoomLevels(st, p, n);
            const int z = st.g_nZoomLevel;
            const float x0 = st.ReadingX(z)[0];
            const float d = st.ReadingX(z)[1] - x0;
            // Without two readings at this level there is no horizontal scale.
            if (n >= 2 && FinitePositive(d) && std::isfinite(x0)) {
                if (!st.g_bFirstVisibleSet) {
                    st.m_nFirstVisible = TruncInt(-x0 / d, -kIndexLimit, kIndexLimit);
                    out.setAlarmScrollPos = true;
                    out.alarmScrollPos = st.m_nFirstVisible;
                    st.g_bFirstVisibleSet = 1;
                }
                const int m = TruncInt(W / d, 0, kIndexLimit);
                int k = 1;
                if (m >= 4) {
                    k = TruncInt((W / 4) / d, 0, kIndexLimit);
                } else if (m == 3) {
                    k = TruncInt((W / 3) / d, 0, kIndexLimit);
                } else if (m == 2) {
                    k = TruncInt((W / 2) / d, 0, kIndexLimit);
                }
                for (int j = 0; j < kIndexTicks; ++j) {
                    const int pj = st.m_nFirstVisible + j * k;
                    const double xrel = static_cast<double>(pj) * d + x0;
                    out.verticalGridX.push_back(TruncPixel(xrel));
                    st.g_nIndexTick[j] = pj;
                    st.g_nIndexLabel[j] = st.m_nFirstVisible + 1 + j * k;
                    const double pos = static_cast<double>(pj) * d + p.left + x0;
                    if (p.left <= pos && pos <= p.right)
                        pending[pendingCount++] = {j, TruncPixel(pos)};
                }
                // Zoomed pass, cut at the limit rows of this level.
                st.g_fAlarmHighY =
                    ValueRow(st.m_nAlarmHigh, st.g_fAxisValue[z][0], st.g_fAxisValue[z][12], H);
                st.g_fAlarmLowY =
                    ValueRow(st.m_nAlarmLow, st.g_fAxisValue[z][0], st.g_fAxisValue[z][12], H);
                const float* ry = st.ReadingY(z);
                float xsPrev = x0;
                for (int i = 1; i < n; ++i) {
                    const float xe = StoreFloat(static_cast<double>(i) * d + x0);
                    ColourSegment(v[i - 1], v[i], xsPrev, ry[i - 1], xe, ry[i], st.m_nAlarmHigh,
                                  st.m_nAlarmLow, st.g_fAlarmHighY, st.g_fAlarmLowY, out.trace);
                    xsPrev = xe;
                }
            }
        }
    }

    // Label texts.
    const int z = st.CurrentLevel();
    for (int j = 0; j < kIndexLabels; ++j) FormatInt(st.m_strIndexLabel[j], st.g_nIndexLabel[j]);
    for (int k = 0; k < kAxisDivisions; ++k)
        FormatValue(st.m_strValueLabel[k], st.g_fAxisValue[z][k]);

    // Value labels in the strip.
    if (usable) {
        out.drawValueLabels = true;
        for (int k = 0; k < kAxisDivisions; ++k) {
            ValueLabel& l = out.valueLabels[k];
            l.text = st.m_strValueLabel[k];
            l.widthClass = ValueLabelWidthClass(st.g_fAxisValue[z][k]);
            l.tickY = H + 6 - (k * (H - 1)) / 12;
            l.textX = ValueLabelTextX(st.g_fAxisValue[z][k]);
            l.textY = H - 1 - (k * (H - 2)) / 12;
        }

        // Reading numbers on the frame, over an erased band.
        out.eraseReadingNumbers = true;
        out.readingNumberBand = {p.left, p.bottom + 33, p.left + W + 22, p.bottom + 33 + 29};
        for (int i = 0; i < pendingCount; ++i) {
            out.readingNumbers.push_back(
                {st.m_strIndexLabel[pending[i].label], pending[i].x, p.bottom + 40});
        }
    }

    // Sample timer.
    if (in.restartSampleTimer) {
        out.restartSampleTimer = true;
        out.sampleIntervalMs = in.sampleIntervalMs;
    }

    // Alarm limit lines, drawn last.
    if (usable) {
        const double a0 = st.g_fAxisValue[z][0];
        const double a12 = st.g_fAxisValue[z][12];
        const double span = a12 - a0;
        if (std::isfinite(span) && span != 0.0) {
            out.drawAlarmRows = true;
            out.alarmRowY[0] = TruncPixel(H - (st.m_nAlarmHigh - a0) * H / span);
            out.alarmRowY[1] = TruncPixel(H - (st.m_nAlarmLow - a0) * H / span);
        }
    }
}

GraphDrawing ComputeDrawing(GraphState& state, const ClientRect& client, MeasurementRecord& record,
                            const DrawingInputs& inputs) {
    GraphDrawing out;
    ComputeDrawing(state, client, record, inputs, out);
    return out;
}

}  // namespace mivora
