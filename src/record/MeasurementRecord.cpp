#include "record/MeasurementRecord.h"

#include <cstdio>

namespace mivora {

namespace {
// Long enough for the time texts, so writing a slot never allocates.
constexpr std::size_t kTextReserve = 24;

void ReserveTexts(std::vector<std::string>& texts) {
    texts.resize(kRecordSlots);
    for (auto& t : texts) t.reserve(kTextReserve);
}
}  // namespace

MeasurementRecord::MeasurementRecord()
    : m_fScreenValue(kRecordSlots, 0.0f), m_fValue(kRecordSlots, 0.0f), m_tTime(kRecordSlots, 0) {
    ReserveTexts(m_strTime);
    ReserveTexts(m_strScreenTime);
    ReserveTexts(m_strScreenUnit);
    ReserveTexts(m_strUnit);
    m_fScreenValue[0] = -500.0f;
}

int SampleIntervalMs(int index) {
    static const int kPeriods[] = {0,      2000,   5000,    10000,   30000,   60000,
                                   120000, 300000, 600000, 1800000, 2700000, 3600000};
    if (index < 1 || index > 11) return 0;
    return kPeriods[index];
}

const std::vector<std::string>& IntervalNames() {
    static const std::vector<std::string> kNames = {"Auto", "2s",    "5s",    "10s",
                                                    "30s",  "1min",  "2min",  "5min",
                                                    "10min", "30min", "45min", "60min"};
    return kNames;
}

std::string ValueText(float value) {
    if (value >= kNoValueMarker) return "----";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(value));
    return buf;
}

}  // namespace mivora
