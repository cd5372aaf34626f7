#pragma once
// The measurement record: the whole record and the screen series, with the
// counts, capacity and running extremes. Storage is allocated once.
#include <string>
#include <vector>

#include "record/TimeText.h"

namespace mivora {

constexpr int kRecordSlots = 4005;
constexpr int kMaxCount = 4000;
constexpr float kNoValueMarker = 3000.0f;  // a logged entry without a value

struct MeasurementRecord {
    MeasurementRecord();

    // Document part.
    std::vector<float> m_fScreenValue;
    std::vector<float> m_fValue;
    std::vector<TimeStamp> m_tTime;
    std::vector<std::string> m_strTime;
    std::vector<std::string> m_strScreenTime;

    // View part.
    int m_nScreenCount = 0;
    int m_nTotalCount = 0;
    int m_nMaxCount = kMaxCount;
    std::vector<std::string> m_strScreenUnit;
    std::vector<std::string> m_strUnit;
    float m_fMax = -100.0f;
    float m_fMin = 2000.0f;
    int m_bReloaded = 0;
    bool m_bSamplePending = false;
    bool m_bNewData = false;

    bool IsFull() const { return m_nTotalCount >= m_nMaxCount; }
};

// Link, latest-frame and display-panel state that acquisition and the commands
// change and the window draws.
struct MeterState {
    // Main frame.
    int m_nComPort = 3;
    bool m_bOnLine = false;
    std::string m_strUnitText;
    bool m_bNegative = false;
    bool m_bLocked = false;
    bool m_bLogHasValue = false;
    bool m_bLogRecord = false;
    bool m_bSampleIndexUnset = true;
    int m_nSampleIndex = 0;
    bool m_bDataBlink = false;

    // Display panel.
    std::string m_strEmissivity;
    std::string m_strReading;
    std::string m_strMaxText;
    std::string m_strMinText;
    std::string m_strMode;
    float m_fDisplayMax = 0.0f;
    float m_fDisplayMin = 0.0f;
    int m_nIntervalIndex = 0;

    // View.
    int m_nSampleInterval = 2000;
    bool m_bRestartSampleTimer = false;
    bool m_bRubberBand = false;
};

// Interval index 1..11 to milliseconds; 0 for Auto and for any index outside 1..11.
int SampleIntervalMs(int index);
// "Auto", "2s", ... "60min"; the list entry texts in index order.
const std::vector<std::string>& IntervalNames();

// The DATA text of a listing or table row: "%.1f", or "----" for the marker.
std::string ValueText(float value);

}  // namespace mivora
