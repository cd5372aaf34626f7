#include "record/TextListing.h"

#include <algorithm>
#include <cstddef>

namespace mivora {

const char* const kListingHeader = "      NO              DATA              UNIT           TIME  ";

namespace {

constexpr const char* kLineEnd = "\r\n";

// Right-aligns `text` in a field of `width`; a longer text is never cut (as "%*s").
void AppendField(std::string& out, const std::string& text, std::size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out += text;
}

}  // namespace

std::string ListingFileName(TimeStamp saveTime) {
    return FormatLocalTime(saveTime, "%y-%m-%d %H.%M.%S ") + ".txt";
}

std::string ListingLine(int number, float value, const std::string& unit, const std::string& time) {
    // "  %5s          %9s           %7s           %8s  ", built by hand so that no
    // text, however long, can overrun a buffer.
    std::string line;
    line.reserve(74);
    line += "  ";
    AppendField(line, std::to_string(number), 5);
    line += "          ";
    AppendField(line, ValueText(value), 9);
    line += "           ";
    AppendField(line, unit, 7);
    line += "           ";
    AppendField(line, time, 8);
    line += "  ";
    return line;
}

std::string FormatListing(const MeasurementRecord& record) {
    const int count = std::clamp(
        record.m_nTotalCount, 0,
        static_cast<int>(
            std::min({record.m_fValue.size(), record.m_strUnit.size(), record.m_tTime.size()})));
    std::string out;
    out.reserve(static_cast<std::size_t>(count + 1) * 76);
    out += kListingHeader;
    out += kLineEnd;
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        out += ListingLine(i + 1, record.m_fValue[k], record.m_strUnit[k],
                           FormatTimeText(record.m_tTime[k]));
        out += kLineEnd;
    }
    return out;
}

std::string FormatListing(int count, const std::vector<float>& values,
                          const std::vector<std::string>& units,
                          const std::vector<std::string>& times) {
    const int n = std::clamp(
        count, 0, static_cast<int>(std::min({values.size(), units.size(), times.size()})));
    std::string out;
    out.reserve(static_cast<std::size_t>(n + 1) * 76);
    out += kListingHeader;
    out += kLineEnd;
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        out += ListingLine(i + 1, values[k], units[k], times[k]);
        out += kLineEnd;
    }
    return out;
}

}  // namespace mivora
