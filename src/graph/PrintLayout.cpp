#include "graph/PrintLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graph/GraphDrawing.h"

namespace mivora {

namespace {

constexpr int kRowsPerPage = 30;

class PageBuilder {
  public:
    explicit PageBuilder(PrintPage& page) : page_(page) {}
    void Line(int x1, int y1, int x2, int y2, PrintPen pen) {
        PrintPrimitive p;
        p.kind = PrintPrimitive::Kind::Line;
        p.line = {x1, y1, x2, y2, pen};
        page_.items.push_back(std::move(p));
    }
    void Text(std::string text, int x, int y, PrintFont font) {
        PrintPrimitive p;
        p.kind = PrintPrimitive::Kind::Text;
        p.text = {std::move(text), x, y, font};
        page_.items.push_back(std::move(p));
    }

  private:
    PrintPage& page_;
};

std::string Format(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

std::string FormatInt(int v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d", v);
    return buf;
}

int Bounded(int count, std::size_t size) {
    return std::clamp(count, 0, static_cast<int>(size));
}

void GraphPage(const GraphState& state, const MeasurementRecord& rec, PageBuilder& b) {
    b.Text(" 70913 Test Report ", -610, 1120, PrintFont::Title);
    b.Line(-750, 200, -10, 200, PrintPen::Black2);
    b.Line(-750, 200, -750, 1000, PrintPen::Black2);
    b.Line(-750, 1000, -10, 1000, PrintPen::Black2);
    b.Line(-10, 200, -10, 1000, PrintPen::Black2);

    const int n = Bounded(rec.m_nScreenCount, rec.m_fScreenValue.size());
    if (n < 1) return;

    // Level 0's value window; printing before any drawing computes it from the
    // scroll position, so it is never all zero.
    float axis[kAxisDivisions];
    for (int k = 0; k < kAxisDivisions; ++k) {
        axis[k] = state.m_bAxisComputed ? state.g_fAxisValue[0][k]
                                        : UnzoomedAxisValue(state.m_nValueScrollPos, k);
    }
    // One reading has no step: it stands at the left edge of the frame.
    const float s = n >= 2 ? 740.0f / static_cast<float>(n - 1) : 0.0f;
    const double lo = axis[0];
    const double hi = axis[12];
    const double span = hi - lo;
    auto y = [&](float v) {
        if (!std::isfinite(span) || span == 0.0) return 200.0;
        return 800.0 / span * (v - lo) + 200.0;
    };

    const float* v = rec.m_fScreenValue.data();
    for (int i = 0; i + 1 < n; ++i) {
        b.Line(TruncPixel(static_cast<double>(i) * s - 750), TruncPixel(y(v[i])),
               TruncPixel(static_cast<double>(i + 1) * s - 750), TruncPixel(y(v[i + 1])),
               PrintPen::Black2);
    }

    b.Text("Temperature", -750, 1025, PrintFont::Small);
    for (int k = 0; k < kAxisDivisions; ++k) {
        b.Text(Format("%.1f", axis[k]), -800, 215 + 66 * k, PrintFont::Small);
    }

    int g = 1;
    if (n >= 13) {
        g = std::max(1, TruncPixel(61.0 / s));
        for (int i = 0; i < 20; ++i) {
            b.Text(FormatInt(1 + i * g), TruncPixel(static_cast<double>(i) * g * s - 750), 195,
                   PrintFont::Small);
        }
    } else {
        for (int i = 0; i < n; ++i) {
            b.Text(FormatInt(i + 1), TruncPixel(static_cast<double>(i) * s - 754), 195,
                   PrintFont::Small);
        }
    }

    for (int m = 1; m <= 12; ++m) {
        const int gy = 200 + 800 * m / 12;
        b.Line(-10, gy, -755, gy, PrintPen::GreyDot);
    }
    if (n >= 13) {
        for (int i = 0; i < 20; ++i) {
            const int x = TruncPixel(static_cast<double>(i) * g * s - 750);
            b.Line(x, 200, x, 1000, PrintPen::GreyDot);
        }
    } else {
        for (int i = 0; i < n; ++i) {
            const int x = TruncPixel(static_cast<double>(i) * s - 750);
            b.Line(x, 200, x, 1000, PrintPen::GreyDot);
        }
    }
}

void TablePage(const MeasurementRecord& rec, int page, PageBuilder& b) {
    b.Line(-770, 1050, -10, 1050, PrintPen::Black2);
    b.Text("NO", -618, 1080, PrintFont::Small);
    b.Text("DATA", -466, 1080, PrintFont::Small);
    b.Text("UNIT", -314, 1080, PrintFont::Small);
    b.Text("TIME", -162, 1080, PrintFont::Small);

    // A loaded file lists its loaded series; the whole record stays untouched.
    const bool loaded = rec.m_bReloaded != 0;
    const std::vector<float>& values = loaded ? rec.m_fScreenValue : rec.m_fValue;
    const std::vector<std::string>& units = loaded ? rec.m_strScreenUnit : rec.m_strUnit;
    const std::vector<std::string>& times = loaded ? rec.m_strScreenTime : rec.m_strTime;
    const int total = PrintedTableCount(rec);

    const long first = static_cast<long>(page - 2) * kRowsPerPage;
    const long last = std::min<long>(static_cast<long>(page - 1) * kRowsPerPage, total);
    for (long i = first; i < last; ++i) {
        const int y = static_cast<int>(1020 - 30 * (i - first));
        const auto idx = static_cast<std::size_t>(i);
        b.Text(FormatInt(static_cast<int>(i + 1)), -618, y, PrintFont::Small);
        b.Text(ValueText(values[idx]), -466, y, PrintFont::Small);
        b.Text(units[idx], -314, y, PrintFont::Small);
        b.Text(times[idx], -162, y, PrintFont::Small);
    }
}

}  // namespace

std::vector<PrintLine> PrintPage::Lines() const {
    std::vector<PrintLine> out;
    for (const auto& p : items) {
        if (p.kind == PrintPrimitive::Kind::Line) out.push_back(p.line);
    }
    return out;
}

std::vector<PrintText> PrintPage::Texts() const {
    std::vector<PrintText> out;
    for (const auto& p : items) {
        if (p.kind == PrintPrimitive::Kind::Text) out.push_back(p.text);
    }
    return out;
}

int PrintedTableCount(const MeasurementRecord& rec) {
    if (rec.m_bReloaded) {
        const std::size_t size = std::min(
            {rec.m_fScreenValue.size(), rec.m_strScreenUnit.size(), rec.m_strScreenTime.size()});
        return Bounded(rec.m_nScreenCount, size);
    }
    const std::size_t size =
        std::min({rec.m_fValue.size(), rec.m_strUnit.size(), rec.m_strTime.size()});
    return Bounded(rec.m_nTotalCount, size);
}

int PrintPageCount(const MeasurementRecord& rec) {
    return PrintedTableCount(rec) / kRowsPerPage + 2;
}

PrintPage ComputePrintPage(const GraphState& state, const MeasurementRecord& rec, int page) {
    PrintPage out;
    out.number = page;
    PageBuilder b(out);
    if (page == 1) {
        GraphPage(state, rec, b);
    } else if (page >= 2 && page <= PrintPageCount(rec)) {
        TablePage(rec, page, b);
    }
    return out;
}

}  // namespace mivora
