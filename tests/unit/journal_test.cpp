#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "record/Journal.h"

namespace mivora {
namespace {

namespace fs = std::filesystem;

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("mivora-journal-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "recording.journal").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    static JournalEntry Entry(int i) {
        return {static_cast<float>(i) * 1.5f - 20.0f, 1176632430 + i, i % 2 ? "F" : "C",
                "04-15-07/10:20:" + std::to_string(10 + i % 50)};
    }
    std::vector<std::uint8_t> Bytes() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void WriteBytes(const std::vector<std::uint8_t>& b) const {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }

    fs::path dir;
    std::string path;
};

TEST_F(JournalTest, AppendedEntriesReadBackInOrder) {
    std::string err;
    {
        Journal j;
        ASSERT_TRUE(j.Open(path, false, err)) << err;
        for (int i = 0; i < 50; ++i) ASSERT_TRUE(j.Append(Entry(i), err)) << err;
        // No close: the entries must already be in the file, as after a kill.
        JournalContents c;
        ASSERT_TRUE(ReadJournal(path, c, err)) << err;
        ASSERT_EQ(c.entries.size(), 50u);
        EXPECT_EQ(c.damagedBytes, 0u);
        for (int i = 0; i < 50; ++i) {
            EXPECT_FLOAT_EQ(c.entries[i].value, Entry(i).value);
            EXPECT_EQ(c.entries[i].time, Entry(i).time);
            EXPECT_EQ(c.entries[i].unit, Entry(i).unit);
            EXPECT_EQ(c.entries[i].timeText, Entry(i).timeText);
        }
    }
}

TEST_F(JournalTest, DamagedTailIsCutAtEveryLength) {
    std::string err;
    {
        Journal j;
        ASSERT_TRUE(j.Open(path, false, err));
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(j.Append(Entry(i), err));
    }
    std::vector<std::uint8_t> full = Bytes();
    std::size_t entrySize = EncodeJournalEntry(Entry(2)).size();
    for (std::size_t cut = 1; cut < entrySize; ++cut) {
        std::vector<std::uint8_t> b(full.begin(), full.end() - static_cast<std::ptrdiff_t>(cut));
        JournalContents c;
        ASSERT_TRUE(ParseJournal(b.data(), b.size(), c, err));
        EXPECT_EQ(c.entries.size(), 2u) << "cut " << cut;
        EXPECT_EQ(c.damagedBytes, entrySize - cut);
    }
    // A flipped byte inside the last entry fails its checksum: only that entry goes.
    std::vector<std::uint8_t> b = full;
    b[b.size() - 6] ^= 0x5A;
    JournalContents c;
    ASSERT_TRUE(ParseJournal(b.data(), b.size(), c, err));
    EXPECT_EQ(c.entries.size(), 2u);
}

TEST_F(JournalTest, ReopenCutsTheTailAndAppendsAfterIt) {
    std::string err;
    {
        Journal j;
        ASSERT_TRUE(j.Open(path, false, err));
        ASSERT_TRUE(j.Append(Entry(0), err));
        ASSERT_TRUE(j.Append(Entry(1), err));
    }
    std::vector<std::uint8_t> b = Bytes();
    b.resize(b.size() - 3);  // half-written second entry
    WriteBytes(b);
    {
        Journal j;
        ASSERT_TRUE(j.Open(path, false, err)) << err;
        ASSERT_TRUE(j.Append(Entry(7), err));
    }
    JournalContents c;
    ASSERT_TRUE(ReadJournal(path, c, err));
    ASSERT_EQ(c.entries.size(), 2u);
    EXPECT_EQ(c.entries[1].time, Entry(7).time);
    EXPECT_EQ(c.damagedBytes, 0u);
}

TEST_F(JournalTest, ClearEmptiesAndRemoveDeletes) {
    std::string err;
    Journal j;
    ASSERT_TRUE(j.Open(path, true, err));
    ASSERT_TRUE(j.Append(Entry(0), err));
    ASSERT_TRUE(j.Clear(err)) << err;
    ASSERT_TRUE(j.Append(Entry(5), err));
    JournalContents c;
    ASSERT_TRUE(ReadJournal(path, c, err));
    ASSERT_EQ(c.entries.size(), 1u);
    EXPECT_EQ(c.entries[0].time, Entry(5).time);
    j.Remove();
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(JournalTest, RejectsAFileThatIsNoJournal) {
    WriteBytes({1, 0, 0, 0, 0xCD, 0xCC, 0xF6, 0x42});
    JournalContents c;
    std::string err;
    EXPECT_FALSE(ReadJournal(path, c, err));
    EXPECT_NE(err.find("not a recovery journal"), std::string::npos) << err;
    EXPECT_FALSE(ReadJournal((dir / "missing").string(), c, err));
}

TEST_F(JournalTest, RestoreFillsBothSeriesAndExtremes) {
    JournalContents c;
    c.entries = {Entry(0), Entry(1), {3000.0f, 5, "C", "t"}, Entry(3)};
    MeasurementRecord r;
    r.m_bSamplePending = true;
    RestoreFromJournal(c, r);
    EXPECT_EQ(r.m_nTotalCount, 4);
    EXPECT_EQ(r.m_nScreenCount, 4);
    EXPECT_FALSE(r.m_bSamplePending);
    EXPECT_FLOAT_EQ(r.m_fValue[1], Entry(1).value);
    EXPECT_FLOAT_EQ(r.m_fScreenValue[3], Entry(3).value);
    EXPECT_EQ(r.m_strUnit[1], "F");
    EXPECT_EQ(r.m_strScreenTime[2], "t");
    EXPECT_EQ(r.m_tTime[3], Entry(3).time);
    EXPECT_FLOAT_EQ(r.m_fMax, Entry(3).value);  // the marker is no reading
    EXPECT_FLOAT_EQ(r.m_fMin, Entry(0).value);
}

}  // namespace
}  // namespace mivora
