#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "meter/FrameEncoder.h"
#include "meter/MeterFrame.h"

namespace mivora::cli {
namespace {

TEST(FrameEncoder, WorkedExamplesAndRoundTrip) {
    struct Case {
        int mode, emis, raw;
        std::uint8_t status;
        RawFrame bytes;
    };
    const Case cases[] = {
        {0, 95, 1234, 0x04, {0x10, 0x20, 0x35, 0x4F, 0x5D, 0x62, 0x70, 0x84, 0x90, 0xA4}},
        {8, 95, 125, 0x41, {0x10, 0x28, 0x35, 0x4F, 0x57, 0x6D, 0x70, 0x80, 0x94, 0xA1}},
        {1, 175, 65535, 0xFF, {0x10, 0x21, 0x3A, 0x4F, 0x5F, 0x6F, 0x7F, 0x8F, 0x9F, 0xAF}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeMeterFrame(c.mode, c.emis, c.raw, c.status), c.bytes) << c.raw;
        MeterFrame decoded;
        ASSERT_TRUE(DecodeMeterFrame(c.bytes.data(), c.bytes.size(), decoded));
        EXPECT_EQ(EncodeMeterFrame(decoded), c.bytes);
    }
    // Every raw reading and status survives the trip through the decoder.
    for (int raw = 0; raw <= 65535; raw += 257) {
        for (int status : {0x00, 0x05, 0x75, 0xFF}) {
            const RawFrame f = EncodeMeterFrame(3, 201, raw, static_cast<std::uint8_t>(status));
            ASSERT_TRUE(IsWellFormedFrame(f.data()));
            MeterFrame d;
            ASSERT_TRUE(DecodeMeterFrame(f.data(), f.size(), d));
            EXPECT_EQ(d.nRawReading, raw);
            EXPECT_EQ(d.byStatus, status);
            EXPECT_EQ(d.nModeCode, 3);
            EXPECT_EQ(d.nEmissivity, 201);
        }
    }
}

TEST(CliParse, HexBytes) {
    struct Case {
        std::vector<std::string> words;
        bool ok;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {{"10", "20", "a4"}, true, {0x10, 0x20, 0xA4}},
        {{"10 20,A4"}, true, {0x10, 0x20, 0xA4}},
        {{"1020A4"}, true, {0x10, 0x20, 0xA4}},
        {{"0x10", "0X20"}, true, {0x10, 0x20}},
        {{"A"}, true, {0x0A}},
        {{"102"}, false, {}},
        {{"1G"}, false, {}},
        {{"0x"}, false, {}},
        {{"  "}, false, {}},
        {{}, false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> out;
        std::string error;
        const bool ok = ParseHexBytes(c.words, out, error);
        const std::string what = c.words.empty() ? "(none)" : c.words[0];
        EXPECT_EQ(ok, c.ok) << what;
        if (c.ok) {
            EXPECT_EQ(out, c.bytes) << what;
        } else {
            EXPECT_FALSE(error.empty()) << what;
        }
    }
}

TEST(CliParse, IntervalNamesAndNumbers) {
    const std::pair<const char*, int> good[] = {
        {"auto", 0}, {"Auto", 0}, {"2s", 1}, {"10S", 3}, {"1min", 5}, {"45min", 10}, {"60min", 11}};
    for (const auto& [text, index] : good) {
        int got = -1;
        EXPECT_TRUE(ParseIntervalIndex(text, got)) << text;
        EXPECT_EQ(got, index) << text;
    }
    for (const char* text : {"", "3s", "2", "60 min", "auto2"}) {
        int got = 7;
        EXPECT_FALSE(ParseIntervalIndex(text, got)) << text;
        EXPECT_EQ(got, 7);
    }

    long long v = 0;
    EXPECT_TRUE(ParseBoundedInt("4000", 1, 4000, v));
    EXPECT_EQ(v, 4000);
    EXPECT_TRUE(ParseBoundedInt("+1", 1, 4000, v));
    EXPECT_EQ(v, 1);
    for (const char* bad : {"0", "4001", "-3", "12x", "", "+", "99999999999999999999", "1.5"}) {
        EXPECT_FALSE(ParseBoundedInt(bad, 1, 4000, v)) << bad;
    }

    double d = 0;
    EXPECT_TRUE(ParsePositiveNumber("2.5", d));
    EXPECT_DOUBLE_EQ(d, 2.5);
    for (const char* bad : {"0", "-1", "abc", "", "inf", "nan", "3Hz"}) {
        EXPECT_FALSE(ParsePositiveNumber(bad, d)) << bad;
    }
}

TEST(CliParse, Options) {
    ParsedArgs a;
    std::string error;
    ASSERT_TRUE(ParseArgs({"--device", "/dev/x", "--count=5", "file", "--csv", "--", "--not"},
                          {"device", "count"}, {"csv"}, a, error))
        << error;
    EXPECT_EQ(a.values["device"], "/dev/x");
    EXPECT_EQ(a.values["count"], "5");
    EXPECT_EQ(a.flags.count("csv"), 1u);
    EXPECT_EQ(a.positional, (std::vector<std::string>{"file", "--not"}));
    EXPECT_FALSE(a.help);

    ASSERT_TRUE(ParseArgs({"-h"}, {}, {}, a, error));
    EXPECT_TRUE(a.help);
    // A negative number is a value, not an option.
    ASSERT_TRUE(ParseArgs({"-5"}, {}, {}, a, error));
    EXPECT_EQ(a.positional, (std::vector<std::string>{"-5"}));

    EXPECT_FALSE(ParseArgs({"--bogus"}, {"device"}, {}, a, error));
    EXPECT_NE(error.find("--bogus"), std::string::npos);
    EXPECT_FALSE(ParseArgs({"--device"}, {"device"}, {}, a, error));
    EXPECT_NE(error.find("needs a value"), std::string::npos);
    EXPECT_FALSE(ParseArgs({"--csv=1"}, {}, {"csv"}, a, error));
}

TEST(CliFormat, FrameFieldsReadingLineAndCsv) {
    const RawFrame f = EncodeMeterFrame(8, 95, 125, 0x41);
    MeterFrame frame;
    ASSERT_TRUE(DecodeMeterFrame(f.data(), f.size(), frame));
    const std::string fields = FormatFrameFields(frame);
    EXPECT_NE(fields.find("strMode: LOG\n"), std::string::npos);
    EXPECT_NE(fields.find("fReading: -12.5\n"), std::string::npos);
    EXPECT_NE(fields.find("byStatus: 0x41\n"), std::string::npos);
    EXPECT_NE(fields.find("bLogRecord: true\n"), std::string::npos);
    EXPECT_NE(fields.find("bLogHasValue: false\n"), std::string::npos);

    EXPECT_EQ(FormatReadingLine({0, "1", "123.4", "C", "04-15-07/10:20:30"}),
              "   1  123.4 C  04-15-07/10:20:30");
    EXPECT_EQ(FormatReadingLine({3999, "4000", "----log", "F", "04-15-07/10:20:30"}),
              "4000 ----log F  04-15-07/10:20:30");

    DataFileContents c;
    c.count = 3;
    c.values = {-6553.5f, 3000.0f, 2999.9f};
    c.units = {"C", "F", "a,\"b\""};
    c.times = {"t1", "t2", "t3"};
    EXPECT_EQ(FormatCsv(c),
              "no,value,unit,time\n1,-6553.5,C,t1\n2,,F,t2\n3,2999.9,\"a,\"\"b\"\"\",t3\n");
}

TEST(Simulator, FramesAreWellFormedAndFollowTheirSettings) {
    for (SimPattern pattern : {SimPattern::Sine, SimPattern::Ramp, SimPattern::Steps}) {
        for (bool celsius : {true, false}) {
            SimulatorSettings s;
            s.pattern = pattern;
            s.celsius = celsius;
            s.logEvery = 5;
            int logged = 0, withValue = 0, locked = 0, modes = 0;
            for (long long n = 0; n < 200; ++n) {
                const MeterFrame want = SimulatedFrame(s, n);
                const RawFrame bytes = EncodeMeterFrame(want);
                ASSERT_TRUE(IsWellFormedFrame(bytes.data()));
                MeterFrame got;
                ASSERT_TRUE(DecodeMeterFrame(bytes.data(), bytes.size(), got));
                EXPECT_EQ(got.nRawReading, want.nRawReading) << n;
                EXPECT_EQ(got.byStatus, want.byStatus) << n;
                EXPECT_EQ(got.fReading, want.fReading) << n;
                EXPECT_LT(std::fabs(got.fReading), 3000.0f);
                EXPECT_EQ(got.bCelsius, celsius);
                EXPECT_EQ(got.bLogRecord, (n + 1) % 5 == 0) << n;
                EXPECT_FALSE(got.strMode.empty());
                logged += got.bLogRecord;
                withValue += got.bLogRecord && got.bLogHasValue;
                locked += got.bLocked;
                modes += got.nModeCode != 0 && !got.bLogRecord;
            }
            EXPECT_EQ(logged, 40);
            EXPECT_EQ(withValue, 20);  // alternating with and without a value
            EXPECT_GT(locked, 0);
            EXPECT_LT(locked, 200);
            EXPECT_GT(modes, 0);
        }
    }
    SimulatorSettings plain;
    for (long long n = 0; n < 100; ++n) EXPECT_FALSE(SimulatedFrame(plain, n).bLogRecord);
}

TEST(Simulator, PacingNeverBeatsTheLine) {
    const double lineFrame = 100.0 / 2400.0;  // ten bytes of ten bits
    EXPECT_DOUBLE_EQ(FramePeriodSeconds(2.0), 0.5);
    EXPECT_DOUBLE_EQ(FramePeriodSeconds(24.0), lineFrame);
    EXPECT_DOUBLE_EQ(FramePeriodSeconds(1000.0), lineFrame);
    EXPECT_DOUBLE_EQ(FramePeriodSeconds(0.0), lineFrame);
}

TEST(CliRecovery, JournalBesideTheOutputFile) {
    EXPECT_EQ(RecordJournalPath("/data/run 1.Mvrlog"), "/data/run 1.Mvrlog.journal");
    EXPECT_EQ(RecordJournalPath("run.Mvrlog"), "run.Mvrlog.journal");
    EXPECT_EQ(RecordJournalPath(""), "mivora-record.journal");
}

TEST(CliRecovery, MaxAndMinTextsFromTheRestoredExtremes) {
    struct Case {
        std::vector<float> values;
        std::string maxText, minText;
        float max, min;
    };
    const Case cases[] = {
        {{12.3f, -4.56f, 7.0f}, "12.3", "-4.6", 12.3f, -4.56f},
        {{25.0f}, "25.0", "25.0", 25.0f, 25.0f},
        // The no-value marker of a logged entry is no extreme.
        {{kNoValueMarker, 99.94f, kNoValueMarker}, "99.9", "99.9", 99.94f, 99.94f},
        {{kNoValueMarker}, "", "", 0.0f, 0.0f},
        {{}, "", "", 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        JournalContents contents;
        for (float v : c.values) {
            JournalEntry e;
            e.value = v;
            e.unit = "C";
            contents.entries.push_back(e);
        }
        MeasurementRecord record;
        RestoreFromJournal(contents, record);
        const MeterState state = RecoveredMeterState(record);
        EXPECT_EQ(state.m_strMaxText, c.maxText) << c.values.size();
        EXPECT_EQ(state.m_strMinText, c.minText) << c.values.size();
        EXPECT_FLOAT_EQ(state.m_fDisplayMax, c.max) << c.maxText;
        EXPECT_FLOAT_EQ(state.m_fDisplayMin, c.min) << c.minText;
    }
}

}  // namespace
}  // namespace mivora::cli
