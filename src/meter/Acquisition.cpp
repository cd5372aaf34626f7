#include "meter/Acquisition.h"

#include <cstdio>

#include "meter/MeterFrame.h"
#include "record/TimeText.h"

namespace mivora {

const char* const kCapacityMessage = "You have got the max data number,please restart!";
const char* const kSaveQuestion = "Do you want to save? ";

namespace {
const char* const kLostLogEntryNote =
    "A logged entry arrived while the record was full and was not recorded.";
constexpr float kMaxStart = -100.0f;
constexpr float kMinStart = 2000.0f;
// Reads in one chunk rarely hold more frames than this; more only grows once.
constexpr std::size_t kFrameReserve = 64;

std::string FormatValue(float value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(value));
    return buf;
}
}  // namespace

AreaRect DisplayAreaRect(DisplayArea area) {
    switch (area) {
        case DisplayArea::DataInput:
            return {342, 13, 359, 30};
        case DisplayArea::Mode:
            return {65, 104, 163, 142};
        case DisplayArea::Emissivity:
            return {16, 68, 166, 98};
        case DisplayArea::Reading:
            return {172, 68, 554, 128};
        case DisplayArea::Unit:
            return {322, 134, 556, 153};
        case DisplayArea::Lock:
            return {150, 132, 240, 158};
        case DisplayArea::Max:
            return {641, 73, 849, 108};
        case DisplayArea::Min:
            return {641, 115, 849, 150};
        case DisplayArea::OnLine:
            return {116, 10, 216, 33};
        case DisplayArea::ComPort:
            return {16, 10, 111, 33};
    }
    return {0, 0, 0, 0};
}

Acquisition::Acquisition(MeasurementRecord& record, MeterState& state, IClock& clock,
                         IAcquisitionSink& sink)
    : m_record(record), m_state(state), m_clock(clock), m_sink(sink) {
    m_frames.reserve(kFrameReserve);
    m_strScratch.reserve(32);
}

bool Acquisition::IsImmediate() const {
    return m_state.m_nSampleIndex == 0 || m_state.m_bLogRecord;
}

void Acquisition::ResetExtremesIfEmpty() {
    if (m_record.m_nTotalCount == 0) {
        m_record.m_fMax = kMaxStart;
        m_record.m_fMin = kMinStart;
    }
}

void Acquisition::SetText(std::string& target, const std::string& value, DisplayArea area) {
    if (target == value) return;
    target = value;
    m_sink.InvalidateArea(area);
}

void Acquisition::UpdateExtremes() {
    const float v = m_record.m_fScreenValue[m_record.m_nScreenCount];
    if (v > m_record.m_fMax) {
        m_record.m_fMax = v;
        m_sink.InvalidateArea(DisplayArea::Max);
    }
    if (v < m_record.m_fMin) {
        m_record.m_fMin = v;
        m_sink.InvalidateArea(DisplayArea::Min);
    }
    m_state.m_fDisplayMax = m_record.m_fMax;
    m_state.m_fDisplayMin = m_record.m_fMin;
    m_state.m_strMaxText = FormatValue(m_record.m_fMax);
    m_state.m_strMinText = FormatValue(m_record.m_fMin);
}

bool Acquisition::Commit(const std::string& strData) {
    MeasurementRecord& r = m_record;
    if (r.m_nTotalCount >= r.m_nMaxCount) return false;
    ++r.m_nScreenCount;
    ++r.m_nTotalCount;
    // The current slots are committed: nothing is waiting for the sample timer.
    r.m_bSamplePending = false;
    const int index = r.m_nTotalCount - 1;
    m_sink.ReadingCommitted(index);
    ListRow row;
    row.index = index;
    row.no = std::to_string(r.m_nTotalCount);
    row.data = strData;
    row.unit = m_state.m_strUnitText;
    row.time = r.m_strTime[static_cast<std::size_t>(index)];
    m_sink.AppendListRow(row);
    return true;
}

void Acquisition::EmptyRecord() {
    m_record.m_nScreenCount = 0;
    m_record.m_nTotalCount = 0;
    m_record.m_bSamplePending = false;
    m_sink.ClearList();
    m_sink.RecordEmptied();
}

void Acquisition::OnReceive(const std::uint8_t* pBytes, std::size_t nCount) {
    ResetExtremesIfEmpty();
    m_assembler.Push(pBytes, nCount, m_frames);
    if (!m_frames.empty()) {
        // Once per read: toggling per frame could cancel out.
        m_state.m_bDataBlink = !m_state.m_bDataBlink;
        m_sink.InvalidateArea(DisplayArea::DataInput);
    }
    MeterFrame frame;
    for (const RawFrame& raw : m_frames) {
        if (DecodeMeterFrame(raw.data(), raw.size(), frame)) ApplyFrame(frame);
    }
    if (m_record.IsFull()) {
        m_sink.ClosePort();
        m_state.m_bOnLine = false;
        m_sink.InvalidateDisplay();
        std::string text = kCapacityMessage;
        if (m_bLogEntryLostInRead) {
            text += "\n";
            text += kLostLogEntryNote;
        }
        m_sink.ShowCapacityMessage(text);
    }
    m_bLogEntryLostInRead = false;
}

void Acquisition::OnOtherEvent() {
    ResetExtremesIfEmpty();
}

void Acquisition::ApplyFrame(const MeterFrame& frame) {
    MeasurementRecord& r = m_record;
    MeterState& s = m_state;
    ++m_nFramesApplied;
    ResetExtremesIfEmpty();

    if (r.m_bReloaded == 1) {
        // A loaded file is on screen: this frame starts a fresh record.
        r.m_bReloaded = 0;
        EmptyRecord();
    }
    r.m_bNewData = true;

    const auto screen = static_cast<std::size_t>(r.m_nScreenCount);
    const auto total = static_cast<std::size_t>(r.m_nTotalCount);
    const TimeStamp now = m_clock.Now();
    r.m_tTime[total] = now;
    const std::string timeText = FormatTimeText(now);
    r.m_strScreenTime[screen] = timeText;
    r.m_strTime[total] = timeText;

    if (!frame.strMode.empty()) SetText(s.m_strMode, frame.strMode, DisplayArea::Mode);
    SetText(s.m_strEmissivity, frame.strEmissivity, DisplayArea::Emissivity);

    s.m_bNegative = frame.bNegative;
    r.m_fScreenValue[screen] = frame.fReading;
    r.m_fValue[total] = frame.fReading;
    SetText(s.m_strReading, FormatValue(r.m_fScreenValue[screen]), DisplayArea::Reading);

    m_strScratch = frame.bCelsius ? "C" : "F";
    r.m_strScreenUnit[screen] = m_strScratch;
    r.m_strUnit[total] = m_strScratch;
    SetText(s.m_strUnitText, m_strScratch, DisplayArea::Unit);

    if (s.m_bLocked != frame.bLocked) {
        s.m_bLocked = frame.bLocked;
        m_sink.InvalidateArea(DisplayArea::Lock);
    }
    s.m_bLogHasValue = frame.bLogHasValue;
    s.m_bLogRecord = frame.bLogRecord;

    if (IsImmediate()) {
        UpdateExtremes();
        if (s.m_bLogRecord && !s.m_bLogHasValue) {
            r.m_fScreenValue[screen] = kNoValueMarker;
            r.m_fValue[total] = kNoValueMarker;
        }
        // A logged entry without a value has no reading to show in the list.
        std::string data = s.m_strReading;
        if (s.m_bLogRecord) data = s.m_bLogHasValue ? s.m_strReading + "log" : "----log";
        // A full record commits nothing; a row would repeat the last number and time.
        if (!Commit(data) && s.m_bLogRecord) {
            ++m_nLostLogEntries;
            m_bLogEntryLostInRead = true;
        }
    } else if (s.m_nSampleIndex > 0 && !r.IsFull()) {
        r.m_bSamplePending = true;
    }

    if (!s.m_bRubberBand) m_sink.RedrawGraph();
}

void Acquisition::OnSampleTick() {
    if (!m_record.m_bSamplePending) return;
    if (!m_state.m_bRubberBand) m_sink.RedrawGraph();
    UpdateExtremes();
    Commit(m_state.m_strReading);
    m_record.m_bSamplePending = false;
}

void Acquisition::ClearScreen() {
    m_record.m_nScreenCount = 0;
    // The screen slot a pending reading wrote is gone.
    m_record.m_bSamplePending = false;
    m_sink.RedrawGraph();
}

void Acquisition::ClearAll() {
    const std::string blanks8(8, ' ');
    const std::string blanks9(9, ' ');
    m_state.m_strReading = blanks8;
    m_state.m_strEmissivity = blanks8;
    m_state.m_strMode = blanks8;
    m_state.m_strUnitText = blanks8;
    m_state.m_strMaxText = blanks9;
    m_state.m_strMinText = blanks9;
    m_record.m_nScreenCount = 0;
    m_record.m_nTotalCount = 0;
    m_record.m_bSamplePending = false;
    m_sink.InvalidateDisplay();
    m_sink.ClearList();
    m_sink.RecordEmptied();
    m_sink.RedrawGraph();
}

void Acquisition::RestartFullRecord() {
    EmptyRecord();
    m_sink.RedrawGraph();
}

void Acquisition::SelectCom(bool shift) {
    int port = m_state.m_nComPort;
    if (!shift) {
        ++port;
    } else if (port >= 2) {
        --port;
    }
    // Cycles 1..16 upwards; a number beyond 16 from an edited settings file wraps too.
    if (port > 16) port = 1;
    m_state.m_nComPort = port;
    m_state.m_bOnLine = false;
    m_sink.InvalidateArea(DisplayArea::ComPort);
}

void Acquisition::SelectInterval(int index) {
    m_state.m_nSampleIndex = index;
    m_state.m_bSampleIndexUnset = false;
    m_record.m_bSamplePending = false;
    if (index >= 1 && index <= 11) {
        m_state.m_nSampleInterval = SampleIntervalMs(index);
        m_state.m_bRestartSampleTimer = true;
        m_sink.RedrawGraph();
    }
}

void Acquisition::TakeIntervalOnSwitchOn() {
    if (!m_state.m_bSampleIndexUnset) return;
    const int index = m_state.m_nIntervalIndex;
    m_state.m_nSampleIndex = index;
    if (index >= 1 && index <= 11) {
        m_state.m_nSampleInterval = SampleIntervalMs(index);
        m_state.m_bRestartSampleTimer = true;
        m_sink.RedrawGraph();
    }
}

void Acquisition::FileLoaded() {
    m_record.m_bSamplePending = false;
}

}  // namespace mivora
