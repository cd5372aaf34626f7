#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "record/MeasurementRecord.h"
#include "record/TimeText.h"

namespace mivora {
namespace {

TEST(MeasurementRecord, StartsEmptyWithFixedStorage) {
    MeasurementRecord r;
    EXPECT_EQ(r.m_nScreenCount, 0);
    EXPECT_EQ(r.m_nTotalCount, 0);
    EXPECT_EQ(r.m_nMaxCount, 4000);
    EXPECT_EQ(r.m_fScreenValue.size(), 4005u);
    EXPECT_EQ(r.m_strUnit.size(), 4005u);
    EXPECT_FLOAT_EQ(r.m_fScreenValue[0], -500.0f);
    EXPECT_FLOAT_EQ(r.m_fMax, -100.0f);
    EXPECT_FLOAT_EQ(r.m_fMin, 2000.0f);
    // Writing a time text into a slot must not allocate.
    const char* before = r.m_strTime[7].data();
    r.m_strTime[7] = "04-15-07/10:20:30";
    EXPECT_EQ(before, r.m_strTime[7].data());
}

TEST(Intervals, TableAndNames) {
    const int expected[] = {0,      2000,   5000,    10000,   30000,   60000,
                            120000, 300000, 600000, 1800000, 2700000, 3600000};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(SampleIntervalMs(i), expected[i]) << i;
    EXPECT_EQ(SampleIntervalMs(-1), 0);
    EXPECT_EQ(SampleIntervalMs(12), 0);
    ASSERT_EQ(IntervalNames().size(), 12u);
    EXPECT_EQ(IntervalNames()[0], "Auto");
    EXPECT_EQ(IntervalNames()[11], "60min");
}

TEST(ValueText, MarkerAndDecimals) {
    EXPECT_EQ(ValueText(123.4f), "123.4");
    EXPECT_EQ(ValueText(-6553.5f), "-6553.5");
    EXPECT_EQ(ValueText(2999.9f), "2999.9");
    EXPECT_EQ(ValueText(3000.0f), "----");
    EXPECT_EQ(ValueText(4000.0f), "----");
}

TEST(TimeText, LocalTimeFormatAndBeyond2038) {
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_EQ(FormatTimeText(1176632430), "04-15-07/10:20:30");
    // 2040-01-01 00:00:00 UTC does not fit 32 bits.
    EXPECT_EQ(FormatTimeText(2208988800LL), "01-01-40/00:00:00");
}

}  // namespace
}  // namespace mivora
