#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "meter/MeterFrame.h"

namespace mivora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A well-formed frame for the given fields.
Bytes MakeFrame(int mode, int emissivity, int raw, int status) {
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

std::string Printed(float v, const char* format) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, static_cast<double>(v));
    return buf;
}

struct WorkedExample {
    Bytes bytes;
    int mode;
    const char* modeText;
    int emissivity;
    const char* emissivityText;
    int raw;
    float reading;
    const char* readingText;
    std::uint8_t status;
    bool negative, celsius, locked, logHasValue, logRecord;
};

TEST(DecodeMeterFrame, WorkedExamples) {
    const WorkedExample cases[] = {
        {{0x10, 0x20, 0x35, 0x4F, 0x5D, 0x62, 0x70, 0x84, 0x90, 0xA4},
         0,
         "EMS",
         95,
         "0.95",
         1234,
         123.4f,
         "123.4",
         0x04,
         false,
         true,
         false,
         false,
         false},
        {{0x10, 0x28, 0x35, 0x4F, 0x57, 0x6D, 0x70, 0x80, 0x94, 0xA1},
         8,
         "LOG",
         95,
         "0.95",
         125,
         -12.5f,
         "-12.5",
         0x41,
         true,
         false,
         false,
         false,
         true},
        {{0x10, 0x21, 0x3A, 0x4F, 0x5F, 0x6F, 0x7F, 0x8F, 0x9F, 0xAF},
         1,
         "MAX",
         175,
         "1.75",
         65535,
         -6553.5f,
         "-6553.5",
         0xFF,
         true,
         true,
         true,
         true,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.modeText);
        MeterFrame f;
        ASSERT_TRUE(DecodeMeterFrame(c.bytes.data(), c.bytes.size(), f));
        EXPECT_EQ(f.nModeCode, c.mode);
        EXPECT_EQ(f.strMode, c.modeText);
        EXPECT_EQ(f.nEmissivity, c.emissivity);
        EXPECT_EQ(f.strEmissivity, c.emissivityText);
        EXPECT_EQ(f.nRawReading, c.raw);
        EXPECT_FLOAT_EQ(f.fReading, c.reading);
        EXPECT_EQ(Printed(f.fReading, "%.1f"), c.readingText);
        EXPECT_EQ(f.byStatus, c.status);
        EXPECT_EQ(f.bNegative, c.negative);
        EXPECT_EQ(f.bCelsius, c.celsius);
        EXPECT_EQ(f.bLocked, c.locked);
        EXPECT_EQ(f.bLogHasValue, c.logHasValue);
        EXPECT_EQ(f.bLogRecord, c.logRecord);
        EXPECT_TRUE(IsWellFormedFrame(c.bytes.data()));
    }
}

TEST(DecodeMeterFrame, RejectsWrongStartAndShortInput) {
    Bytes b = MakeFrame(0, 95, 1234, 0x04);
    MeterFrame f;
    EXPECT_FALSE(DecodeMeterFrame(b.data(), 9, f));
    EXPECT_FALSE(DecodeMeterFrame(b.data(), 0, f));
    EXPECT_FALSE(DecodeMeterFrame(nullptr, 10, f));
    for (std::uint8_t start : {0x00, 0x11, 0x1F, 0x20, 0x90, 0xFF}) {
        b[0] = start;
        EXPECT_FALSE(DecodeMeterFrame(b.data(), b.size(), f)) << int(start);
    }
}

TEST(DecodeMeterFrame, OnlyTheFirstTenBytesCount) {
    Bytes b = MakeFrame(2, 50, 777, 0x04);
    const Bytes second = MakeFrame(3, 10, 1, 0x01);
    b.insert(b.end(), second.begin(), second.end());
    MeterFrame f;
    ASSERT_TRUE(DecodeMeterFrame(b.data(), b.size(), f));
    EXPECT_EQ(f.strMode, "MIN");
    EXPECT_EQ(f.nRawReading, 777);
}

TEST(DecodeMeterFrame, EveryModeCodeAndUnknownModes) {
    const char* texts[] = {"EMS", "MAX", "MIN", "DIF", "AVG", "HAL", "LAL", "TK", "LOG"};
    for (int m = 0; m < 9; ++m) {
        Bytes b = MakeFrame(m, 95, 100, 0);
        MeterFrame f;
        ASSERT_TRUE(DecodeMeterFrame(b.data(), b.size(), f));
        EXPECT_EQ(f.strMode, texts[m]);
    }
    // 0x29 is past the table, 0x1F below it (negative code): decoded, mode empty.
    for (std::uint8_t modeByte : {0x29, 0x1F, 0x2F, 0x00}) {
        Bytes b = MakeFrame(0, 95, 100, 0x04);
        b[1] = modeByte;
        MeterFrame f;
        ASSERT_TRUE(DecodeMeterFrame(b.data(), b.size(), f)) << int(modeByte);
        EXPECT_EQ(f.nModeCode, int(modeByte) - 0x20);
        EXPECT_TRUE(f.strMode.empty());
        EXPECT_EQ(f.nRawReading, 100);
        EXPECT_TRUE(f.bCelsius);
        // 0x29 and 0x2F keep the tag of offset 1: a well-formed frame, unknown mode.
        EXPECT_EQ(IsWellFormedFrame(b.data()), (modeByte >> 4) == 2);
    }
}

TEST(DecodeMeterFrame, NegativeZeroAndLargestReading) {
    Bytes zero = MakeFrame(0, 95, 0, 0x01);
    MeterFrame f;
    ASSERT_TRUE(DecodeMeterFrame(zero.data(), zero.size(), f));
    EXPECT_EQ(f.nRawReading, 0);
    EXPECT_TRUE(f.bNegative);
    EXPECT_EQ(f.fReading, 0.0f);
    EXPECT_TRUE(std::signbit(f.fReading));
    EXPECT_EQ(Printed(f.fReading, "%.1f"), "-0.0");

    Bytes top = MakeFrame(0, 95, 65535, 0x04);
    ASSERT_TRUE(DecodeMeterFrame(top.data(), top.size(), f));
    EXPECT_EQ(f.nRawReading, 65535);
    EXPECT_FALSE(f.bNegative);
    EXPECT_EQ(Printed(f.fReading, "%.1f"), "6553.5");
}

TEST(DecodeMeterFrame, EveryRawReadingPrintsItsTenths) {
    for (int raw = 0; raw <= 65535; ++raw) {
        Bytes b = MakeFrame(0, 95, raw, 0);
        MeterFrame f;
        ASSERT_TRUE(DecodeMeterFrame(b.data(), b.size(), f));
        ASSERT_EQ(f.nRawReading, raw);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%d.%d", raw / 10, raw % 10);
        ASSERT_EQ(Printed(f.fReading, "%.1f"), expected) << raw;
        // Rounded once from the double product of the single constant.
        ASSERT_EQ(f.fReading, static_cast<float>(raw * static_cast<double>(0.1f))) << raw;
    }
}

TEST(DecodeMeterFrame, EveryEmissivityPrintsTwoDecimals) {
    for (int e = 0; e <= 255; ++e) {
        Bytes b = MakeFrame(0, e, 0, 0);
        MeterFrame f;
        ASSERT_TRUE(DecodeMeterFrame(b.data(), b.size(), f));
        ASSERT_EQ(f.nEmissivity, e);
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d.%02d", e / 100, e % 100);
        EXPECT_EQ(f.strEmissivity, expected) << e;
    }
}

TEST(DecodeMeterFrame, IgnoredStatusBitsChangeNothing) {
    for (int base : {0x00, 0x01, 0x04, 0x10, 0x20, 0x40, 0x75}) {
        Bytes plain = MakeFrame(0, 95, 4321, base);
        MeterFrame ref;
        ASSERT_TRUE(DecodeMeterFrame(plain.data(), plain.size(), ref));
        for (int extra : {0x02, 0x08, 0x80, 0x8A}) {
            Bytes b = MakeFrame(0, 95, 4321, base | extra);
            MeterFrame f;
            ASSERT_TRUE(DecodeMeterFrame(b.data(), b.size(), f));
            EXPECT_EQ(f.byStatus, base | extra);
            EXPECT_EQ(f.fReading, ref.fReading) << base << "/" << extra;
            EXPECT_EQ(f.bNegative, ref.bNegative);
            EXPECT_EQ(f.bCelsius, ref.bCelsius);
            EXPECT_EQ(f.bLocked, ref.bLocked);
            EXPECT_EQ(f.bLogHasValue, ref.bLogHasValue);
            EXPECT_EQ(f.bLogRecord, ref.bLogRecord);
        }
    }
}

TEST(DecodeMeterFrame, UnexpectedTagsShiftTheNumbersWithoutError) {
    // The tags of offsets 1..9 are not checked: the arithmetic just moves.
    Bytes b = MakeFrame(0, 95, 1234, 0x04);
    b[5] = 0x72;  // tag 7 where 6 belongs: +16
    b[3] = 0x3F;  // tag 3 where 4 belongs: -16
    b[9] = 0x04;  // status low nibble without its tag: byte truncated to 8 bits
    MeterFrame f;
    ASSERT_TRUE(DecodeMeterFrame(b.data(), b.size(), f));
    EXPECT_EQ(f.nRawReading, 1234 + 0x10);
    EXPECT_EQ(f.nEmissivity, 95 - 0x10);
    EXPECT_EQ(f.byStatus, static_cast<std::uint8_t>((0x90 + 6) * 16 + 0x04));
    EXPECT_FALSE(IsWellFormedFrame(b.data()));
    // A wildly wrong high byte gives a reading outside 0..65535, still decoded.
    Bytes low = MakeFrame(0, 95, 0, 0);
    low[6] = 0x00;
    ASSERT_TRUE(DecodeMeterFrame(low.data(), low.size(), f));
    EXPECT_EQ(f.nRawReading, -0x70 * 4096);
}

TEST(IsWellFormedFrame, ChecksEveryTag) {
    const Bytes good = MakeFrame(4, 95, 1234, 0x04);
    EXPECT_TRUE(IsWellFormedFrame(good.data()));
    for (std::size_t i = 0; i < kFrameSize; ++i) {
        Bytes b = good;
        b[i] = static_cast<std::uint8_t>((b[i] & 0x0F) | (((b[i] >> 4) + 1) & 0xF) << 4);
        EXPECT_FALSE(IsWellFormedFrame(b.data())) << i;
    }
    Bytes start = good;
    start[0] = 0x11;  // right tag, wrong data nibble in the start byte
    EXPECT_FALSE(IsWellFormedFrame(start.data()));
    EXPECT_FALSE(IsWellFormedFrame(nullptr));
}

}  // namespace
}  // namespace mivora
