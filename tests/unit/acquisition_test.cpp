#include "meter/Acquisition.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "meter/MeterFrame.h"
#include "record/MeasurementRecord.h"
#include "record/TimeText.h"

namespace mivora {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kEms = 0, kMax = 1, kLog = 8;
constexpr int kCelsius = 0x04, kNegative = 0x01, kLocked = 0x10, kLogValue = 0x20, kLogEntry = 0x40;
constexpr TimeStamp kT0 = 1176632430;  // 04-15-07/10:20:30 UTC

Bytes Frame(int raw, int status = kCelsius, int mode = kEms, int emissivity = 95) {
    return {0x10,
            static_cast<std::uint8_t>(0x20 + mode),
            static_cast<std::uint8_t>(0x30 | ((emissivity >> 4) & 0xF)),
            static_cast<std::uint8_t>(0x40 | (emissivity & 0xF)),
            static_cast<std::uint8_t>(0x50 | ((raw >> 4) & 0xF)),
            static_cast<std::uint8_t>(0x60 | (raw & 0xF)),
            static_cast<std::uint8_t>(0x70 | ((raw >> 12) & 0xF)),
            static_cast<std::uint8_t>(0x80 | ((raw >> 8) & 0xF)),
            static_cast<std::uint8_t>(0x90 | ((status >> 4) & 0xF)),
            static_cast<std::uint8_t>(0xA0 | (status & 0xF))};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class FakeClock final : public IClock {
  public:
    TimeStamp now = kT0;
    TimeStamp Now() override { return now; }
};

class RecordingSink final : public IAcquisitionSink {
  public:
    std::vector<DisplayArea> areas;
    std::vector<ListRow> rows;
    std::vector<std::string> messages;
    std::vector<int> committed;
    int displayInvalidations = 0, listClears = 0, portCloses = 0, graphRedraws = 0, emptied = 0;

    void InvalidateArea(DisplayArea area) override { areas.push_back(area); }
    void InvalidateDisplay() override { ++displayInvalidations; }
    void AppendListRow(const ListRow& row) override { rows.push_back(row); }
    void ClearList() override {
        ++listClears;
        rows.clear();
    }
    void ClosePort() override { ++portCloses; }
    void ShowCapacityMessage(const std::string& text) override { messages.push_back(text); }
    void RedrawGraph() override { ++graphRedraws; }
    void ReadingCommitted(int index) override { committed.push_back(index); }
    void RecordEmptied() override { ++emptied; }

    int Count(DisplayArea area) const {
        int n = 0;
        for (auto a : areas) n += a == area;
        return n;
    }
    void Forget() { *this = RecordingSink(); }
};

class AcquisitionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        state.m_nSampleIndex = 0;
    }
    void Send(const Bytes& b) { acq.OnReceive(b.data(), b.size()); }
    // One read per frame, one second apart, in Auto.
    void FillAuto(int n, int raw = 100) {
        for (int i = 0; i < n; ++i) {
            Send(Frame(raw));
            ++clock.now;
        }
    }

    MeasurementRecord record;
    MeterState state;
    FakeClock clock;
    RecordingSink sink;
    Acquisition acq{record, state, clock, sink};
};

TEST_F(AcquisitionTest, AutoCommitsEveryFrameWithItsRow) {
    Send(Frame(1234));
    clock.now += 5;
    Send(Frame(125, kNegative));  // -12.5 F

    EXPECT_EQ(record.m_nTotalCount, 2);
    EXPECT_EQ(record.m_nScreenCount, 2);
    EXPECT_FLOAT_EQ(record.m_fValue[0], 123.4f);
    EXPECT_FLOAT_EQ(record.m_fScreenValue[1], -12.5f);
    EXPECT_EQ(record.m_tTime[0], kT0);
    EXPECT_EQ(record.m_tTime[1], kT0 + 5);
    EXPECT_EQ(record.m_strTime[0], "04-15-07/10:20:30");
    EXPECT_EQ(record.m_strScreenTime[1], "04-15-07/10:20:35");
    EXPECT_EQ(record.m_strUnit[0], "C");
    EXPECT_EQ(record.m_strScreenUnit[1], "F");
    EXPECT_TRUE(record.m_bNewData);
    EXPECT_FALSE(record.m_bSamplePending);

    ASSERT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(sink.rows[0].index, 0);
    EXPECT_EQ(sink.rows[0].no, "1");
    EXPECT_EQ(sink.rows[0].data, "123.4");
    EXPECT_EQ(sink.rows[0].unit, "C");
    EXPECT_EQ(sink.rows[0].time, "04-15-07/10:20:30");
    EXPECT_EQ(sink.rows[1].no, "2");
    EXPECT_EQ(sink.rows[1].data, "-12.5");
    EXPECT_EQ(sink.rows[1].unit, "F");
    EXPECT_EQ(sink.committed, (std::vector<int>{0, 1}));
    EXPECT_EQ(sink.graphRedraws, 2);

    EXPECT_EQ(state.m_strReading, "-12.5");
    EXPECT_EQ(state.m_strMode, "EMS");
    EXPECT_EQ(state.m_strEmissivity, "0.95");
    EXPECT_EQ(state.m_strUnitText, "F");
    EXPECT_TRUE(state.m_bNegative);
    EXPECT_FLOAT_EQ(record.m_fMax, 123.4f);
    EXPECT_FLOAT_EQ(record.m_fMin, -12.5f);
    EXPECT_EQ(state.m_strMaxText, "123.4");
    EXPECT_EQ(state.m_strMinText, "-12.5");
    EXPECT_FLOAT_EQ(state.m_fDisplayMax, 123.4f);
    EXPECT_FLOAT_EQ(state.m_fDisplayMin, -12.5f);
    EXPECT_EQ(acq.FramesApplied(), 2u);

    // In Auto nothing is pending, so ticks change nothing.
    acq.OnSampleTick();
    EXPECT_EQ(record.m_nTotalCount, 2);
    EXPECT_EQ(sink.rows.size(), 2u);
}

TEST_F(AcquisitionTest, IntervalCommitsTheLastFrameOncePerTick) {
    acq.SelectInterval(3);  // "10s"
    EXPECT_EQ(state.m_nSampleInterval, 10000);
    for (int second = 1; second <= 30; ++second) {
        Send(Frame(second * 10));
        if (second % 10 == 0) acq.OnSampleTick();
        ++clock.now;
    }
    EXPECT_EQ(record.m_nTotalCount, 3);
    ASSERT_EQ(sink.rows.size(), 3u);
    const char* values[] = {"10.0", "20.0", "30.0"};
    const char* times[] = {"04-15-07/10:20:39", "04-15-07/10:20:49", "04-15-07/10:20:59"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sink.rows[i].no, std::to_string(i + 1));
        EXPECT_EQ(sink.rows[i].data, values[i]);
        EXPECT_EQ(sink.rows[i].unit, "C");
        EXPECT_EQ(sink.rows[i].time, times[i]);
        EXPECT_EQ(record.m_strTime[i], times[i]);
        EXPECT_FLOAT_EQ(record.m_fValue[i], (i + 1) * 10.0f);
    }
    // Extremes move only at the ticks.
    EXPECT_FLOAT_EQ(record.m_fMax, 30.0f);
    EXPECT_FLOAT_EQ(record.m_fMin, 10.0f);
    EXPECT_EQ(state.m_strMaxText, "30.0");
    // A tick without a new frame commits nothing.
    acq.OnSampleTick();
    EXPECT_EQ(record.m_nTotalCount, 3);
}

TEST_F(AcquisitionTest, LoggedEntriesInAuto) {
    Send(Frame(125, kLogEntry | kNegative, kLog));             // no value: -12.5 decoded
    Send(Frame(456, kLogEntry | kLogValue | kCelsius, kLog));  // with value 45.6
    ASSERT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(sink.rows[0].data, "----log");
    EXPECT_EQ(sink.rows[0].unit, "F");
    EXPECT_EQ(sink.rows[1].data, "45.6log");
    EXPECT_FLOAT_EQ(record.m_fValue[0], kNoValueMarker);
    EXPECT_FLOAT_EQ(record.m_fScreenValue[0], kNoValueMarker);
    EXPECT_FLOAT_EQ(record.m_fValue[1], 45.6f);
    // The extremes saw the decoded reading, never the marker.
    EXPECT_FLOAT_EQ(record.m_fMin, -12.5f);
    EXPECT_FLOAT_EQ(record.m_fMax, 45.6f);
    EXPECT_EQ(state.m_strMode, "LOG");
    EXPECT_TRUE(state.m_bLogRecord);
    EXPECT_TRUE(state.m_bLogHasValue);
}

TEST_F(AcquisitionTest, LoggedEntryUnderAnIntervalIsCommittedAtOnce) {
    acq.SelectInterval(3);
    Send(Frame(100));
    acq.OnSampleTick();  // row 1: 10.0
    Send(Frame(200));
    ++clock.now;
    Send(Frame(777, kLogEntry | kLogValue | kCelsius, kLog));  // row 2, at once
    EXPECT_EQ(record.m_nTotalCount, 2);
    ASSERT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(sink.rows[1].data, "77.7log");
    EXPECT_EQ(sink.rows[1].time, "04-15-07/10:20:31");
    // The logged entry used the slots the pending reading wrote: nothing is left
    // for the tick (no phantom row with a stale value).
    EXPECT_FALSE(record.m_bSamplePending);
    acq.OnSampleTick();
    EXPECT_EQ(record.m_nTotalCount, 2);
    Send(Frame(300));
    acq.OnSampleTick();  // row 3: timed again
    ASSERT_EQ(sink.rows.size(), 3u);
    EXPECT_EQ(sink.rows[2].data, "30.0");
}

TEST_F(AcquisitionTest, NegativeSampleIndexRecordsOnlyLoggedEntries) {
    state.m_nSampleIndex = -1;
    Send(Frame(100));
    EXPECT_FALSE(record.m_bSamplePending);
    acq.OnSampleTick();
    EXPECT_EQ(record.m_nTotalCount, 0);
    Send(Frame(100, kLogEntry | kLogValue, kLog));
    EXPECT_EQ(record.m_nTotalCount, 1);
    ASSERT_EQ(sink.rows.size(), 1u);
    EXPECT_EQ(sink.rows[0].data, "10.0log");
    // An empty interval selection gives the same.
    acq.SelectInterval(-1);
    EXPECT_EQ(state.m_nSampleIndex, -1);
    Send(Frame(100));
    acq.OnSampleTick();
    EXPECT_EQ(record.m_nTotalCount, 1);
}

TEST_F(AcquisitionTest, CapacityClosesThePortAfterTheLastCommit) {
    state.m_bOnLine = true;
    FillAuto(3999);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(sink.portCloses, 0);
    sink.Forget();

    Send(Frame(321));
    EXPECT_EQ(record.m_nTotalCount, 4000);
    EXPECT_EQ(record.m_nScreenCount, 4000);
    ASSERT_EQ(sink.rows.size(), 1u);
    EXPECT_EQ(sink.rows[0].no, "4000");
    EXPECT_EQ(sink.rows[0].index, 3999);
    EXPECT_EQ(sink.rows[0].data, "32.1");
    EXPECT_EQ(sink.portCloses, 1);
    EXPECT_FALSE(state.m_bOnLine);
    EXPECT_EQ(sink.displayInvalidations, 1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], kCapacityMessage);
    EXPECT_STREQ(kCapacityMessage, "You have got the max data number,please restart!");
    EXPECT_STREQ(kSaveQuestion, "Do you want to save? ");

    // Bytes that hold no frame still report the full record.
    sink.Forget();
    const Bytes noise = {0x00, 0x55, 0x42};
    Send(noise);
    EXPECT_EQ(sink.messages, std::vector<std::string>{kCapacityMessage});
    EXPECT_EQ(sink.portCloses, 1);
    EXPECT_TRUE(sink.rows.empty());

    // An ordinary frame while full overwrites the current slot, adds no row.
    sink.Forget();
    Send(Frame(999));
    EXPECT_EQ(record.m_nTotalCount, 4000);
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_TRUE(sink.committed.empty());
    EXPECT_FLOAT_EQ(record.m_fValue[4000], 99.9f);
    EXPECT_EQ(sink.messages, std::vector<std::string>{kCapacityMessage});

    // A logged entry while full is not recorded, and the message says so.
    sink.Forget();
    Send(Frame(555, kLogEntry | kLogValue | kCelsius, kLog));
    EXPECT_EQ(record.m_nTotalCount, 4000);
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_TRUE(sink.committed.empty());
    EXPECT_EQ(acq.LostLogEntries(), 1u);
    ASSERT_EQ(sink.messages.size(), 1u);
    const std::string first = kCapacityMessage;
    EXPECT_EQ(sink.messages[0].substr(0, first.size()), first);
    EXPECT_NE(sink.messages[0].find("logged entry"), std::string::npos);
    // The next read without a lost entry shows the plain message again.
    sink.Forget();
    Send(noise);
    EXPECT_EQ(sink.messages, std::vector<std::string>{kCapacityMessage});
}

TEST_F(AcquisitionTest, SeveralFramesInOneRead) {
    Send(Concat({Frame(10), Frame(20), Frame(30)}));
    EXPECT_EQ(record.m_nTotalCount, 3);
    ASSERT_EQ(sink.rows.size(), 3u);
    EXPECT_EQ(sink.rows[2].data, "3.0");
    EXPECT_EQ(sink.Count(DisplayArea::DataInput), 1);
    EXPECT_TRUE(state.m_bDataBlink);
    EXPECT_EQ(sink.graphRedraws, 3);

    // Crossing the capacity inside one read: the lamp and the report happen once.
    FillAuto(3995);
    ASSERT_EQ(record.m_nTotalCount, 3998);
    sink.Forget();
    const bool blink = state.m_bDataBlink;
    Send(Concat({Frame(1), Frame(2), Frame(3), Frame(4, kLogEntry | kLogValue, kLog)}));
    EXPECT_EQ(record.m_nTotalCount, 4000);
    EXPECT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(sink.Count(DisplayArea::DataInput), 1);
    EXPECT_NE(state.m_bDataBlink, blink);
    EXPECT_EQ(sink.portCloses, 1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0], kCapacityMessage);  // the lost logged entry is named

    // A read that delivers no frame does not touch the lamp.
    sink.Forget();
    record.m_nTotalCount = 10;
    const Bytes whole = Frame(5);
    acq.OnReceive(whole.data(), 5);
    EXPECT_EQ(sink.Count(DisplayArea::DataInput), 0);
}

TEST_F(AcquisitionTest, FrameAfterAFileLoadStartsAFreshRecord) {
    FillAuto(5);
    record.m_nScreenCount = 40;  // as a data file load leaves it
    record.m_bReloaded = 1;
    acq.FileLoaded();
    sink.Forget();
    Send(Frame(777));
    EXPECT_EQ(record.m_bReloaded, 0);
    EXPECT_EQ(record.m_nTotalCount, 1);
    EXPECT_EQ(record.m_nScreenCount, 1);
    EXPECT_EQ(sink.listClears, 1);
    EXPECT_EQ(sink.emptied, 1);
    ASSERT_EQ(sink.rows.size(), 1u);
    EXPECT_EQ(sink.rows[0].no, "1");
    EXPECT_FLOAT_EQ(record.m_fScreenValue[0], 77.7f);
}

TEST_F(AcquisitionTest, ExtremesRules) {
    // The first reading is compared with -100 and 2000.
    Send(Frame(1500, kNegative));
    EXPECT_FLOAT_EQ(record.m_fMax, -100.0f);
    EXPECT_FLOAT_EQ(record.m_fMin, -150.0f);
    EXPECT_EQ(state.m_strMaxText, "-100.0");
    EXPECT_EQ(sink.Count(DisplayArea::Max), 0);
    EXPECT_EQ(sink.Count(DisplayArea::Min), 1);

    Send(Frame(500));
    EXPECT_FLOAT_EQ(record.m_fMax, 50.0f);
    sink.Forget();
    Send(Frame(500));              // equal to the maximum: nothing changes or repaints
    Send(Frame(1500, kNegative));  // equal to the minimum
    EXPECT_EQ(sink.Count(DisplayArea::Max), 0);
    EXPECT_EQ(sink.Count(DisplayArea::Min), 0);

    // After Clear All the next event resets them, whatever its kind.
    acq.ClearAll();
    acq.OnOtherEvent();
    EXPECT_FLOAT_EQ(record.m_fMax, -100.0f);
    EXPECT_FLOAT_EQ(record.m_fMin, 2000.0f);
    // Not while the record holds readings.
    FillAuto(1, 300);
    record.m_fMax = 99.0f;
    acq.OnOtherEvent();
    EXPECT_FLOAT_EQ(record.m_fMax, 99.0f);
}

TEST_F(AcquisitionTest, SampleTickExtremesAndFullRecord) {
    acq.SelectInterval(1);
    Send(Frame(400));
    sink.Forget();
    acq.OnSampleTick();
    EXPECT_EQ(sink.Count(DisplayArea::Max), 1);
    EXPECT_EQ(sink.Count(DisplayArea::Min), 1);
    EXPECT_EQ(sink.graphRedraws, 1);
    Send(Frame(400));
    sink.Forget();
    acq.OnSampleTick();  // equal value: no MAX/MIN repaint, but a row
    EXPECT_EQ(sink.Count(DisplayArea::Max), 0);
    EXPECT_EQ(sink.Count(DisplayArea::Min), 0);
    EXPECT_EQ(sink.rows.size(), 1u);

    // A tick that finds the record full commits nothing and adds no row.
    record.m_nTotalCount = record.m_nMaxCount;
    record.m_bSamplePending = true;
    sink.Forget();
    acq.OnSampleTick();
    EXPECT_EQ(record.m_nTotalCount, 4000);
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_TRUE(sink.committed.empty());
    EXPECT_FALSE(record.m_bSamplePending);
    // Under an interval a full record sets nothing pending.
    Send(Frame(400));
    EXPECT_FALSE(record.m_bSamplePending);
}

TEST_F(AcquisitionTest, RubberBandHoldsGraphRedrawsButNotCommits) {
    state.m_bRubberBand = true;
    Send(Frame(100));
    acq.SelectInterval(2);
    sink.Forget();
    Send(Frame(200));
    acq.OnSampleTick();
    EXPECT_EQ(sink.graphRedraws, 0);
    EXPECT_EQ(record.m_nTotalCount, 2);
    EXPECT_FLOAT_EQ(record.m_fMax, 20.0f);
}

TEST_F(AcquisitionTest, IdenticalFramesRequestNoTextRedraws) {
    const Bytes f = Frame(1234, kCelsius | kLocked, kMax, 95);
    Send(f);
    EXPECT_EQ(sink.Count(DisplayArea::Mode), 1);
    EXPECT_EQ(sink.Count(DisplayArea::Emissivity), 1);
    EXPECT_EQ(sink.Count(DisplayArea::Reading), 1);
    EXPECT_EQ(sink.Count(DisplayArea::Unit), 1);
    EXPECT_EQ(sink.Count(DisplayArea::Lock), 1);
    sink.Forget();
    Send(f);
    EXPECT_EQ(sink.areas, std::vector<DisplayArea>{DisplayArea::DataInput});

    // Each text repaints its own area when only it changes; a higher reading
    // also moves the maximum.
    using A = DisplayArea;
    struct Case {
        Bytes frame;
        std::vector<DisplayArea> areas;
    };
    const Case cases[] = {
        {Frame(1234, kCelsius | kLocked, kEms, 95), {A::DataInput, A::Mode}},
        {Frame(1234, kCelsius | kLocked, kEms, 90), {A::DataInput, A::Emissivity}},
        {Frame(1235, kCelsius | kLocked, kEms, 90), {A::DataInput, A::Reading, A::Max}},
        {Frame(1235, kLocked, kEms, 90), {A::DataInput, A::Unit}},
        {Frame(1235, 0, kEms, 90), {A::DataInput, A::Lock}},
    };
    for (const auto& c : cases) {
        sink.Forget();
        Send(c.frame);
        EXPECT_EQ(sink.areas, c.areas) << static_cast<int>(c.areas.back());
    }
}

TEST_F(AcquisitionTest, UnknownModeKeepsTheMode) {
    Send(Frame(100, kCelsius, kMax));
    Bytes f = Frame(100, kCelsius, kMax);
    f[1] = 0x29;
    sink.Forget();
    Send(f);
    EXPECT_EQ(state.m_strMode, "MAX");
    EXPECT_EQ(sink.Count(DisplayArea::Mode), 0);
    EXPECT_EQ(record.m_nTotalCount, 2);
}

TEST_F(AcquisitionTest, CorruptFramesAreNeverRecorded) {
    Bytes bad = Frame(999);
    bad[4] = 0x0F;  // offset 4 lost its tag
    Send(Concat({Frame(100), bad, Frame(200)}));
    EXPECT_EQ(record.m_nTotalCount, 2);
    EXPECT_FLOAT_EQ(record.m_fValue[0], 10.0f);
    EXPECT_FLOAT_EQ(record.m_fValue[1], 20.0f);
    EXPECT_EQ(acq.Assembler().DroppedBytes(), kFrameSize);
    // A frame split over two reads is recorded once, when complete.
    const Bytes f = Frame(300);
    acq.OnReceive(f.data(), 4);
    EXPECT_EQ(record.m_nTotalCount, 2);
    acq.OnReceive(f.data() + 4, f.size() - 4);
    EXPECT_EQ(record.m_nTotalCount, 3);
}

// Every way the current slots are committed or abandoned drops a pending reading,
// so the next tick cannot commit a slot no frame wrote.
TEST_F(AcquisitionTest, NoPhantomReadingAfterSlotsAreAbandoned) {
    struct Case {
        const char* name;
        void (*action)(Acquisition&, MeasurementRecord&);
    };
    const Case cases[] = {
        {"clear screen", [](Acquisition& a, MeasurementRecord&) { a.ClearScreen(); }},
        {"clear all", [](Acquisition& a, MeasurementRecord&) { a.ClearAll(); }},
        {"restart full", [](Acquisition& a, MeasurementRecord&) { a.RestartFullRecord(); }},
        {"file loaded",
         [](Acquisition& a, MeasurementRecord& r) {
             r.m_nScreenCount = 3;
             r.m_bReloaded = 1;
             a.FileLoaded();
         }},
        {"other interval", [](Acquisition& a, MeasurementRecord&) { a.SelectInterval(4); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MeasurementRecord r;
        MeterState s;
        FakeClock clk;
        RecordingSink out;
        Acquisition a(r, s, clk, out);
        a.SelectInterval(3);
        const Bytes f = Frame(100);
        a.OnReceive(f.data(), f.size());
        ASSERT_TRUE(r.m_bSamplePending);
        const int total = r.m_nTotalCount;
        c.action(a, r);
        EXPECT_FALSE(r.m_bSamplePending);
        a.OnSampleTick();
        EXPECT_TRUE(out.rows.empty());
        EXPECT_LE(r.m_nTotalCount, total);
    }
}

TEST_F(AcquisitionTest, ClearScreenKeepsTheRecordAndNumbering) {
    FillAuto(3);
    acq.ClearScreen();
    EXPECT_EQ(record.m_nScreenCount, 0);
    EXPECT_EQ(record.m_nTotalCount, 3);
    EXPECT_EQ(sink.listClears, 0);
    Send(Frame(100));
    EXPECT_EQ(record.m_nScreenCount, 1);
    EXPECT_EQ(sink.rows.back().no, "4");
}

TEST_F(AcquisitionTest, ClearAllBlanksTextsAndEmptiesTheRecord) {
    FillAuto(3);
    sink.Forget();
    acq.ClearAll();
    EXPECT_EQ(record.m_nScreenCount, 0);
    EXPECT_EQ(record.m_nTotalCount, 0);
    EXPECT_EQ(state.m_strReading, "        ");
    EXPECT_EQ(state.m_strEmissivity, "        ");
    EXPECT_EQ(state.m_strMode, "        ");
    EXPECT_EQ(state.m_strUnitText, "        ");
    EXPECT_EQ(state.m_strMaxText, "         ");
    EXPECT_EQ(state.m_strMinText, "         ");
    EXPECT_EQ(sink.displayInvalidations, 1);
    EXPECT_EQ(sink.listClears, 1);
    EXPECT_EQ(sink.graphRedraws, 1);
    EXPECT_EQ(sink.emptied, 1);
    // The running extremes wait for the next event.
    EXPECT_FLOAT_EQ(record.m_fMax, 10.0f);
    Send(Frame(200));
    EXPECT_EQ(sink.rows.back().no, "1");
}

TEST_F(AcquisitionTest, RestartFullRecordEmptiesBothSeries) {
    FillAuto(4000);
    sink.Forget();
    acq.RestartFullRecord();
    EXPECT_EQ(record.m_nScreenCount, 0);
    EXPECT_EQ(record.m_nTotalCount, 0);
    EXPECT_EQ(sink.listClears, 1);
    EXPECT_EQ(sink.graphRedraws, 1);
    EXPECT_EQ(sink.emptied, 1);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(AcquisitionTest, SelectComCyclesAndGoesOffline) {
    struct Case {
        int from;
        bool shift;
        int to;
    };
    const Case cases[] = {{3, false, 4},  {16, false, 1}, {1, true, 1}, {2, true, 1},
                          {16, true, 15}, {20, false, 1}, {0, false, 1}};
    for (const auto& c : cases) {
        state.m_nComPort = c.from;
        state.m_bOnLine = true;
        sink.Forget();
        acq.SelectCom(c.shift);
        EXPECT_EQ(state.m_nComPort, c.to) << c.from << (c.shift ? " shift" : "");
        EXPECT_FALSE(state.m_bOnLine);
        EXPECT_EQ(sink.portCloses, 0);
        EXPECT_EQ(sink.areas, std::vector<DisplayArea>{DisplayArea::ComPort});
    }
}

TEST_F(AcquisitionTest, SelectIntervalRules) {
    state.m_nSampleInterval = 1234;
    acq.SelectInterval(0);  // Auto: no period, no redraw
    EXPECT_EQ(state.m_nSampleIndex, 0);
    EXPECT_FALSE(state.m_bSampleIndexUnset);
    EXPECT_EQ(state.m_nSampleInterval, 1234);
    EXPECT_FALSE(state.m_bRestartSampleTimer);
    EXPECT_EQ(sink.graphRedraws, 0);
    acq.SelectInterval(-1);
    EXPECT_EQ(state.m_nSampleInterval, 1234);
    EXPECT_EQ(sink.graphRedraws, 0);
    for (int i = 1; i <= 11; ++i) {
        state.m_bRestartSampleTimer = false;
        acq.SelectInterval(i);
        EXPECT_EQ(state.m_nSampleIndex, i);
        EXPECT_EQ(state.m_nSampleInterval, SampleIntervalMs(i));
        EXPECT_TRUE(state.m_bRestartSampleTimer);
    }
    EXPECT_EQ(sink.graphRedraws, 11);
}

TEST_F(AcquisitionTest, SwitchOnTakesThePanelIntervalOnlyOnce) {
    state.m_nSampleIndex = 0;
    state.m_nIntervalIndex = 5;
    acq.TakeIntervalOnSwitchOn();
    EXPECT_EQ(state.m_nSampleIndex, 5);
    EXPECT_EQ(state.m_nSampleInterval, 60000);
    EXPECT_TRUE(state.m_bRestartSampleTimer);
    EXPECT_EQ(sink.graphRedraws, 1);

    // Once the user chose in the list, switching on keeps that choice.
    acq.SelectInterval(2);
    state.m_nIntervalIndex = 7;
    acq.TakeIntervalOnSwitchOn();
    EXPECT_EQ(state.m_nSampleIndex, 2);
    EXPECT_EQ(state.m_nSampleInterval, 5000);

    // Auto or an index outside the table stores no period.
    for (int index : {0, 12, -3}) {
        MeterState s;
        s.m_nSampleInterval = 777;
        s.m_nIntervalIndex = index;
        RecordingSink out;
        Acquisition a(record, s, clock, out);
        a.TakeIntervalOnSwitchOn();
        EXPECT_EQ(s.m_nSampleIndex, index);
        EXPECT_EQ(s.m_nSampleInterval, 777);
        EXPECT_FALSE(s.m_bRestartSampleTimer);
        EXPECT_EQ(out.graphRedraws, 0);
    }
}

TEST(DisplayAreaRect, EveryArea) {
    struct Case {
        DisplayArea area;
        AreaRect rect;
    };
    const Case cases[] = {
        {DisplayArea::DataInput, {342, 13, 359, 30}}, {DisplayArea::Mode, {65, 104, 163, 142}},
        {DisplayArea::Emissivity, {16, 68, 166, 98}}, {DisplayArea::Reading, {172, 68, 554, 128}},
        {DisplayArea::Unit, {322, 134, 556, 153}},    {DisplayArea::Lock, {150, 132, 240, 158}},
        {DisplayArea::Max, {641, 73, 849, 108}},      {DisplayArea::Min, {641, 115, 849, 150}},
        {DisplayArea::OnLine, {116, 10, 216, 33}},    {DisplayArea::ComPort, {16, 10, 111, 33}},
    };
    for (const auto& c : cases) {
        const AreaRect r = DisplayAreaRect(c.area);
        EXPECT_EQ(r.left, c.rect.left) << static_cast<int>(c.area);
        EXPECT_EQ(r.top, c.rect.top) << static_cast<int>(c.area);
        EXPECT_EQ(r.right, c.rect.right) << static_cast<int>(c.area);
        EXPECT_EQ(r.bottom, c.rect.bottom) << static_cast<int>(c.area);
    }
}

}  // namespace
}  // namespace mivora
