#pragma once
// Acquisition: applies the meter's frames to the record and the display state,
// the sampling rules and the record-changing commands. It tells the window what
// to do through IAcquisitionSink and never touches a widget itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "meter/FrameAssembler.h"
#include "record/MeasurementRecord.h"

namespace mivora {

// Display panel areas in the panel's client coordinates.
enum class DisplayArea {
    DataInput,
    Mode,
    Emissivity,
    Reading,
    Unit,
    Lock,
    Max,
    Min,
    OnLine,
    ComPort,
};

struct AreaRect {
    int left, top, right, bottom;
};
AreaRect DisplayAreaRect(DisplayArea area);

struct ListRow {
    int index;  // 0-based row index
    std::string no, data, unit, time;
};

extern const char* const kCapacityMessage;  // "You have got the max data number,please restart!"
extern const char* const kSaveQuestion;     // "Do you want to save? "

class IAcquisitionSink {
  public:
    virtual ~IAcquisitionSink() = default;
    virtual void InvalidateArea(DisplayArea area) = 0;
    virtual void InvalidateDisplay() = 0;  // the whole panel
    virtual void AppendListRow(const ListRow& row) = 0;
    virtual void ClearList() = 0;
    virtual void ClosePort() = 0;
    virtual void ShowCapacityMessage(const std::string& text) = 0;
    virtual void RedrawGraph() = 0;
    // A reading was committed to the whole record at `index` (journal hook).
    virtual void ReadingCommitted(int /*index*/) {}
    // The whole record was emptied (journal hook).
    virtual void RecordEmptied() {}
};

class Acquisition {
  public:
    Acquisition(MeasurementRecord& record, MeterState& state, IClock& clock,
                IAcquisitionSink& sink);

    // One receive event that delivered `nCount` bytes: every well-formed frame in
    // them is applied in order; the DataInput lamp toggles once if any frame came,
    // and the capacity check runs once at the end.
    void OnReceive(const std::uint8_t* pBytes, std::size_t nCount);
    // A receive event of another kind: only the extremes reset on an empty record.
    void OnOtherEvent();
    // Applies one decoded frame (the per-frame steps; no lamp, no capacity check).
    void ApplyFrame(const MeterFrame& frame);
    // Sample timer tick.
    void OnSampleTick();

    // Commands.
    void ClearScreen();
    void ClearAll();
    // Empties a full record (after the save offer of On/Off): counts, list, graph.
    void RestartFullRecord();
    // Select COM; `shift` counts down.
    void SelectCom(bool shift);
    // The interval list's selection; -1 for no selection.
    void SelectInterval(int index);
    // Step 1 of On/Off: takes the panel's interval index on first use.
    void TakeIntervalOnSwitchOn();
    // A data file was loaded into the record: pending sample dropped.
    void FileLoaded();

    const FrameAssembler& Assembler() const { return m_assembler; }
    std::uint64_t FramesApplied() const { return m_nFramesApplied; }
    // Logged entries that arrived while the record was full and were not recorded.
    std::uint64_t LostLogEntries() const { return m_nLostLogEntries; }

  private:
    bool IsImmediate() const;
    void UpdateExtremes();
    void SetText(std::string& target, const std::string& value, DisplayArea area);
    void ResetExtremesIfEmpty();
    // Advances both counts and lists the committed slot; false when full.
    bool Commit(const std::string& strData);
    void EmptyRecord();

    MeasurementRecord& m_record;
    MeterState& m_state;
    IClock& m_clock;
    IAcquisitionSink& m_sink;
    FrameAssembler m_assembler;
    std::vector<RawFrame> m_frames;
    std::uint64_t m_nFramesApplied = 0;
    std::uint64_t m_nLostLogEntries = 0;
    bool m_bLogEntryLostInRead = false;
    std::string m_strScratch;
};

}  // namespace mivora
