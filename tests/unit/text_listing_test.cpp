#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "record/TextListing.h"

namespace mivora {
namespace {

constexpr TimeStamp kSampleTime = 1176632430;  // 04-15-07/10:20:30 UTC

void UseUtc() {
    setenv("TZ", "UTC0", 1);
    tzset();
}

std::string Blanks(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no line end>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(TextListing, Header) {
    const std::string header = kListingHeader;
    EXPECT_EQ(header.size(), 61u);
    EXPECT_EQ(header, Blanks(6) + "NO" + Blanks(14) + "DATA" + Blanks(14) + "UNIT" + Blanks(11) +
                          "TIME" + Blanks(2));
}

TEST(TextListing, Lines) {
    const std::string time = "04-15-07/10:20:30";
    struct Case {
        const char* name;
        int number;
        float value;
        const char* unit;
        std::string expected;
    };
    const Case cases[] = {
        {"reading", 1, 123.4f, "C",
         Blanks(6) + "1" + Blanks(14) + "123.4" + Blanks(17) + "C" + Blanks(11) + time + Blanks(2)},
        {"logged entry without value", 2, kNoValueMarker, "F",
         Blanks(6) + "2" + Blanks(15) + "----" + Blanks(17) + "F" + Blanks(11) + time + Blanks(2)},
        {"lowest meter reading", 3, -6553.5f, "C",
         Blanks(6) + "3" + Blanks(12) + "-6553.5" + Blanks(17) + "C" + Blanks(11) + time +
             Blanks(2)},
        {"number 4000", 4000, 0.0f, "C",
         Blanks(3) + "4000" + Blanks(16) + "0.0" + Blanks(17) + "C" + Blanks(11) + time +
             Blanks(2)},
        {"negative zero tenths", 5, -0.04f, "F",
         Blanks(6) + "5" + Blanks(15) + "-0.0" + Blanks(17) + "F" + Blanks(11) + time + Blanks(2)},
    };
    for (const auto& c : cases) {
        const std::string line = ListingLine(c.number, c.value, c.unit, time);
        EXPECT_EQ(line, c.expected) << c.name;
    }
    EXPECT_EQ(ListingLine(1, 123.4f, "C", time).size(), 74u);
}

TEST(TextListing, DataColumnWidth) {
    // Two blanks, NO (5), ten blanks, then DATA right-aligned in 9 characters.
    const std::string lowest = ListingLine(1, -6553.5f, "C", "t");
    EXPECT_EQ(lowest.substr(17, 9), "  -6553.5");
    EXPECT_EQ(lowest.substr(26, 11), Blanks(11));
    const std::string full = ListingLine(1, -123456.7f, "C", "t");
    EXPECT_EQ(full.substr(17, 9), "-123456.7");
    EXPECT_EQ(full.size(), lowest.size());
    // A wider text pushes the following columns right and is never cut.
    const std::string wider = ListingLine(1, -1234567.0f, "C", "t");
    EXPECT_EQ(wider.substr(17, 10), "-1234567.0");
    EXPECT_EQ(wider.size(), lowest.size() + 1);
}

TEST(TextListing, LongTextsAreNeverCut) {
    const std::string unit(20, 'u');
    const std::string line = ListingLine(123456, 1.0f, unit, "t");
    EXPECT_NE(line.find("  123456          "), std::string::npos) << line;
    EXPECT_NE(line.find("           " + unit + "           "), std::string::npos) << line;
}

TEST(TextListing, FormatsTheWholeRecordFromTimeStamps) {
    UseUtc();
    MeasurementRecord r;
    const float values[] = {123.4f, kNoValueMarker, -6553.5f};
    for (int i = 0; i < 3; ++i) {
        r.m_fValue[static_cast<std::size_t>(i)] = values[i];
        r.m_strUnit[static_cast<std::size_t>(i)] = i == 1 ? "F" : "C";
        r.m_tTime[static_cast<std::size_t>(i)] = kSampleTime + i * 3600;
        // The listing takes its times from the time stamps, not from these texts.
        r.m_strTime[static_cast<std::size_t>(i)] = "stale";
    }
    r.m_nTotalCount = 3;
    r.m_nScreenCount = 1;  // Clear Screen does not shorten the listing
    const std::string text = FormatListing(r);
    const std::vector<std::string> lines = SplitCrLf(text);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], kListingHeader);
    EXPECT_EQ(lines[1], ListingLine(1, 123.4f, "C", "04-15-07/10:20:30"));
    EXPECT_EQ(lines[2], ListingLine(2, kNoValueMarker, "F", "04-15-07/11:20:30"));
    EXPECT_EQ(lines[3], ListingLine(3, -6553.5f, "C", "04-15-07/12:20:30"));
    EXPECT_EQ(text.substr(text.size() - 4), "  \r\n");
}

TEST(TextListing, EmptyRecordIsTheHeaderOnly) {
    MeasurementRecord r;
    EXPECT_EQ(FormatListing(r), std::string(kListingHeader) + "\r\n");
    r.m_nTotalCount = -1;
    EXPECT_EQ(FormatListing(r), std::string(kListingHeader) + "\r\n");
}

TEST(TextListing, FullRecordHas4001Lines) {
    UseUtc();
    MeasurementRecord r;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kMaxCount); ++i) {
        r.m_fValue[i] = static_cast<float>(i) / 10.0f;
        r.m_strUnit[i] = "C";
        r.m_tTime[i] = kSampleTime + static_cast<TimeStamp>(i);
    }
    r.m_nTotalCount = kMaxCount;
    const std::vector<std::string> lines = SplitCrLf(FormatListing(r));
    ASSERT_EQ(lines.size(), 4001u);
    EXPECT_EQ(lines[4000].substr(0, 7), "   4000");
    EXPECT_EQ(lines[4000], ListingLine(4000, 399.9f, "C", FormatTimeText(kSampleTime + 3999)));
    for (std::size_t i = 1; i < lines.size(); ++i) ASSERT_EQ(lines[i].size(), 74u) << i;
}

TEST(TextListing, FromStoredTexts) {
    const std::vector<float> values = {1.5f, kNoValueMarker};
    const std::vector<std::string> units = {"C", "F"};
    const std::vector<std::string> times = {"01-02-03/04:05:06", "01-02-03/04:05:08"};
    const std::vector<std::string> lines = SplitCrLf(FormatListing(2, values, units, times));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], ListingLine(1, 1.5f, "C", "01-02-03/04:05:06"));
    EXPECT_EQ(lines[2], ListingLine(2, kNoValueMarker, "F", "01-02-03/04:05:08"));
    EXPECT_NE(lines[2].find("----"), std::string::npos);
    // A count beyond the texts given lists only what is there.
    EXPECT_EQ(SplitCrLf(FormatListing(5, values, units, times)).size(), 3u);
    EXPECT_EQ(SplitCrLf(FormatListing(1, values, units, times)).size(), 2u);
}

TEST(TextListing, FileNameKeepsTheBlankBeforeTheExtension) {
    UseUtc();
    EXPECT_EQ(ListingFileName(kSampleTime), "07-04-15 10.20.30 .txt");
    EXPECT_EQ(ListingFileName(2208988800LL), "40-01-01 00.00.00 .txt");
}

}  // namespace
}  // namespace mivora
