#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "record/DataFile.h"
#include "record/TextListing.h"

namespace mivora {
namespace {

namespace stdfs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void UseUtc() {
    setenv("TZ", "UTC0", 1);
    tzset();
}

// 15 April 2007 10:20:30 UTC.
constexpr TimeStamp kSampleTime = 1176632430;

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The 48-byte file of one reading of 123.4 C at 04-15-07/10:20:30, MAX and MIN 123.4.
Bytes SampleFile() {
    return Concat({{0x01, 0x00, 0x00, 0x00},
                   {0xCD, 0xCC, 0xF6, 0x42},
                   {0x01},
                   Text("C"),
                   {0x11},
                   Text("04-15-07/10:20:30"),
                   {0x05},
                   Text("123.4"),
                   {0x05},
                   Text("123.4"),
                   {0xCD, 0xCC, 0xF6, 0x42},
                   {0xCD, 0xCC, 0xF6, 0x42}});
}

void AddReading(MeasurementRecord& r, float value, const std::string& unit, TimeStamp t) {
    const auto i = static_cast<std::size_t>(r.m_nTotalCount);
    r.m_fValue[i] = value;
    r.m_strUnit[i] = unit;
    r.m_tTime[i] = t;
    r.m_strTime[i] = FormatTimeText(t);
    ++r.m_nTotalCount;
}

MeasurementRecord FullRecord() {
    MeasurementRecord r;
    for (int i = 0; i < kMaxCount; ++i) {
        const float v = (i % 97 == 0) ? kNoValueMarker : static_cast<float>(i % 500) * 0.7f - 60.0f;
        AddReading(r, v, i % 3 == 0 ? "F" : "C", kSampleTime + i * 2);
    }
    return r;
}

MeterState Panel(const std::string& maxText, const std::string& minText, float mx, float mn) {
    MeterState s;
    s.m_strMaxText = maxText;
    s.m_strMinText = minText;
    s.m_fDisplayMax = mx;
    s.m_fDisplayMin = mn;
    return s;
}

bool Decode(const Bytes& b, DataFileContents& out, std::string& error) {
    return DecodeDataFile(b.data(), b.size(), out, error);
}

// ---------------------------------------------------------------------------

TEST(DataFileLayout, SampleFileEncodesToTheKnownBytes) {
    UseUtc();
    MeasurementRecord r;
    AddReading(r, 123.4f, "C", kSampleTime);
    const Bytes encoded = EncodeDataFile(r, Panel("123.4", "123.4", 123.4f, 123.4f));
    EXPECT_EQ(encoded.size(), 48u);
    EXPECT_EQ(encoded, SampleFile());
}

TEST(DataFileLayout, SampleFileDecodes) {
    DataFileContents c;
    std::string error;
    ASSERT_TRUE(Decode(SampleFile(), c, error)) << error;
    EXPECT_EQ(c.count, 1);
    ASSERT_EQ(c.values.size(), 1u);
    EXPECT_EQ(c.values[0], 123.4f);
    EXPECT_EQ(c.units, std::vector<std::string>{"C"});
    EXPECT_EQ(c.times, std::vector<std::string>{"04-15-07/10:20:30"});
    EXPECT_EQ(c.maxText, "123.4");
    EXPECT_EQ(c.minText, "123.4");
    EXPECT_EQ(c.displayMax, 123.4f);
    EXPECT_EQ(c.displayMin, 123.4f);
}

TEST(DataFileLayout, EmptyRecordAfterClearAll) {
    MeasurementRecord r;
    const Bytes encoded = EncodeDataFile(r, Panel("", "", 0.0f, 0.0f));
    EXPECT_EQ(encoded, Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    DataFileContents c;
    std::string error;
    ASSERT_TRUE(Decode(encoded, c, error)) << error;
    EXPECT_EQ(c.count, 0);
    EXPECT_TRUE(c.values.empty());
}

TEST(DataFileLayout, SavesTheWholeRecordNotTheScreenSeries) {
    MeasurementRecord r;
    AddReading(r, 1.0f, "C", kSampleTime);
    AddReading(r, 2.0f, "C", kSampleTime + 1);
    r.m_nScreenCount = 0;  // after Clear Screen
    DataFileContents c;
    std::string error;
    ASSERT_TRUE(Decode(EncodeDataFile(r, MeterState{}), c, error)) << error;
    EXPECT_EQ(c.count, 2);
    EXPECT_EQ(c.values, std::vector<float>({1.0f, 2.0f}));
}

TEST(DataFileLayout, FullRecordRoundTrip) {
    UseUtc();
    const MeasurementRecord r = FullRecord();
    const Bytes encoded = EncodeDataFile(r, Panel("289.3", "-60.0", 289.3f, -60.0f));
    DataFileContents c;
    std::string error;
    ASSERT_TRUE(Decode(encoded, c, error)) << error;
    ASSERT_EQ(c.count, kMaxCount);
    for (std::size_t i = 0; i < static_cast<std::size_t>(kMaxCount); ++i) {
        ASSERT_EQ(c.values[i], r.m_fValue[i]) << i;
        ASSERT_EQ(c.units[i], r.m_strUnit[i]) << i;
        ASSERT_EQ(c.times[i], r.m_strTime[i]) << i;
    }
    EXPECT_EQ(c.maxText, "289.3");
    EXPECT_EQ(c.minText, "-60.0");
    EXPECT_EQ(c.displayMax, 289.3f);
    EXPECT_EQ(c.displayMin, -60.0f);
}

// ---------------------------------------------------------------------------
// Archive strings

struct PrefixCase {
    std::size_t length;
    Bytes prefix;
};

TEST(ArchiveString, LengthPrefixes) {
    const PrefixCase cases[] = {
        {0, {0x00}},
        {1, {0x01}},
        {17, {0x11}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {256, {0xFF, 0x00, 0x01}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {0x12345, {0xFF, 0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        const std::string text(c.length, 'x');
        Bytes out;
        AppendArchiveString(out, text);
        ASSERT_EQ(out.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(c.prefix.size())),
                  c.prefix)
            << c.length;

        // Each length reads back as the MAX text of an empty record.
        const Bytes file = Concat({{0, 0, 0, 0}, out, {0x00}, Bytes(8, 0)});
        DataFileContents contents;
        std::string error;
        ASSERT_TRUE(Decode(file, contents, error)) << c.length << ": " << error;
        EXPECT_EQ(contents.maxText, text) << c.length;
    }
}

TEST(ArchiveString, LongTextsSurviveARoundTrip) {
    MeasurementRecord r;
    AddReading(r, 5.0f, std::string(300, 'u'), kSampleTime);
    r.m_strTime[0] = std::string(70000, 't');
    DataFileContents c;
    std::string error;
    ASSERT_TRUE(Decode(EncodeDataFile(r, Panel(std::string(254, 'M'), "", 0, 0)), c, error))
        << error;
    EXPECT_EQ(c.units[0], std::string(300, 'u'));
    EXPECT_EQ(c.times[0], std::string(70000, 't'));
    EXPECT_EQ(c.maxText, std::string(254, 'M'));
}

TEST(ArchiveString, ReadsA64BitLength) {
    const Bytes file = Concat({{0, 0, 0, 0},
                               {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                               {0x02, 0, 0, 0, 0, 0, 0, 0},
                               Text("hi"),
                               {0x00},
                               Bytes(8, 0)});
    DataFileContents c;
    std::string error;
    ASSERT_TRUE(Decode(file, c, error)) << error;
    EXPECT_EQ(c.maxText, "hi");
}

Bytes Utf16(std::initializer_list<unsigned> units) {
    Bytes b;
    for (unsigned u : units) {
        b.push_back(static_cast<std::uint8_t>(u & 0xFF));
        b.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return b;
}

TEST(ArchiveString, WideCharacterStringsBecomeSingleByteText) {
    struct Case {
        const char* name;
        Bytes encoded;  // mark, second prefix, characters
        std::string expected;
    };
    Bytes sevens;
    for (int i = 0; i < 256; ++i) sevens.insert(sevens.end(), {'7', 0});
    const Case cases[] = {
        {"ascii", Concat({{0xFF, 0xFE, 0xFF, 0x01}, Utf16({'C'})}), "C"},
        {"empty", {0xFF, 0xFE, 0xFF, 0x00}, ""},
        {"non-ascii and a surrogate pair",
         Concat({{0xFF, 0xFE, 0xFF, 0x05}, Utf16({'A', 0x00E9, 0xD83D, 0xDE00, 'z'})}), "A??z"},
        {"lone surrogates", Concat({{0xFF, 0xFE, 0xFF, 0x02}, Utf16({0xDC00, 0xD800})}), "??"},
        {"16-bit second prefix", Concat({{0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01}, sevens}),
         std::string(256, '7')},
    };
    for (const auto& c : cases) {
        const Bytes& text = c.encoded;
        const Bytes file =
            Concat({{1, 0, 0, 0}, {0, 0, 0x80, 0x3F}, text, {0x00}, {0x00}, {0x00}, Bytes(8, 0)});
        DataFileContents contents;
        std::string error;
        ASSERT_TRUE(Decode(file, contents, error)) << c.name << ": " << error;
        EXPECT_EQ(contents.units[0], c.expected) << c.name;
        EXPECT_EQ(contents.values[0], 1.0f) << c.name;
    }
}

// ---------------------------------------------------------------------------
// Malformed files

TEST(DataFileErrors, EveryTruncationFailsCleanly) {
    UseUtc();
    MeasurementRecord r;
    AddReading(r, 123.4f, "C", kSampleTime);
    AddReading(r, kNoValueMarker, "F", kSampleTime + 5);
    AddReading(r, -6553.5f, "C", kSampleTime + 10);
    const std::vector<Bytes> files = {
        SampleFile(), EncodeDataFile(r, Panel("123.4", "-6553.5", 123.4f, -6553.5f)),
        Concat({{0, 0, 0, 0},
                {0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01},
                Bytes(512, 'a'),
                {0x00},
                Bytes(8, 0)})};
    for (const auto& file : files) {
        for (std::size_t n = 0; n < file.size(); ++n) {
            DataFileContents c;
            std::string error;
            EXPECT_FALSE(DecodeDataFile(file.data(), n, c, error)) << "length " << n;
            EXPECT_NE(error.find(n == 0 ? "empty" : "truncated"), std::string::npos)
                << n << ": " << error;
        }
        DataFileContents c;
        std::string error;
        EXPECT_TRUE(Decode(file, c, error)) << error;
    }
}

TEST(DataFileErrors, TruncationNamesTheField) {
    const Bytes file = SampleFile();
    const std::map<std::size_t, std::string> cases = {
        {2, "count"},
        {6, "value of reading 1"},
        {8, "unit text of reading 1"},
        {10, "time text of reading 1"},
        {28, "MAX text"},
        {34, "MIN text"},
        {42, "MAX value"},
        {46, "MIN value"},
    };
    for (const auto& [length, field] : cases) {
        DataFileContents c;
        std::string error;
        ASSERT_FALSE(DecodeDataFile(file.data(), length, c, error)) << length;
        EXPECT_NE(error.find(field), std::string::npos) << length << ": " << error;
    }
}

TEST(DataFileErrors, BadCountsAndLengths) {
    struct Case {
        const char* name;
        Bytes file;
        const char* message;
    };
    const Case cases[] = {
        {"negative count", {0xFF, 0xFF, 0xFF, 0xFF}, "negative (-1)"},
        {"most negative count", {0x00, 0x00, 0x00, 0x80}, "negative (-2147483648)"},
        {"count 4001", Concat({{0xA1, 0x0F, 0, 0}, Bytes(100000, 0)}), "(4001) is more than 4000"},
        {"huge count", {0xFF, 0xFF, 0xFF, 0x7F}, "(2147483647) is more than 4000"},
        {"unit runs past the end", Concat({{1, 0, 0, 0}, Bytes(4, 0), {0x20}, Text("C")}),
         "unit text of reading 1 claims 32 characters, only 1 bytes are left"},
        {"absurd 32-bit length",
         Concat({{0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}, Bytes(9, 0)}),
         "MAX text claims 4294967294 characters"},
        {"absurd 64-bit length",
         Concat({{0, 0, 0, 0},
                 {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                 Bytes(8, 0xFF),
                 Bytes(9, 0)}),
         "MAX text claims 18446744073709551615 characters"},
        {"wide string runs past the end",
         Concat({{0, 0, 0, 0}, {0xFF, 0xFE, 0xFF, 0x32}, Utf16({'a', 'b'}), Bytes(9, 0)}),
         "MAX text claims 50 characters, only 13 bytes are left"},
        {"wide mark at end of file", Concat({{0, 0, 0, 0}, {0xFF, 0xFE, 0xFF}}),
         "truncated (in the length of the MAX text)"},
        {"trailing bytes", Concat({SampleFile(), {0x00, 0x01}}), "2 unexpected bytes"},
    };
    for (const auto& c : cases) {
        DataFileContents contents;
        std::string error;
        EXPECT_FALSE(Decode(c.file, contents, error)) << c.name;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    }
}

TEST(DataFileErrors, NullInput) {
    DataFileContents c;
    std::string error;
    EXPECT_FALSE(DecodeDataFile(nullptr, 0, c, error));
    EXPECT_NE(error.find("empty"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Applying a loaded file

TEST(ApplyDataFile, ReplacesTheScreenSeriesAndPanelOnly) {
    UseUtc();
    MeasurementRecord r;
    AddReading(r, 10.0f, "C", kSampleTime);
    AddReading(r, 11.0f, "C", kSampleTime + 1);
    AddReading(r, 12.0f, "C", kSampleTime + 2);
    r.m_nScreenCount = 3;
    r.m_bSamplePending = true;
    const MeasurementRecord before = r;
    MeterState state = Panel("12.0", "10.0", 12.0f, 10.0f);
    state.m_strReading = "12.0";

    DataFileContents c;
    std::string error;
    MeasurementRecord saved;
    AddReading(saved, kNoValueMarker, "F", kSampleTime + 100);
    AddReading(saved, 98.6f, "F", kSampleTime + 101);
    ASSERT_TRUE(Decode(EncodeDataFile(saved, Panel("98.6", "98.6", 98.6f, 98.6f)), c, error));

    ApplyDataFile(c, r, state);
    EXPECT_EQ(r.m_bReloaded, 1);
    EXPECT_FALSE(r.m_bSamplePending);
    EXPECT_EQ(r.m_nScreenCount, 2);
    EXPECT_EQ(r.m_fScreenValue[0], kNoValueMarker);
    EXPECT_EQ(r.m_fScreenValue[1], 98.6f);
    EXPECT_EQ(r.m_strScreenUnit[1], "F");
    EXPECT_EQ(r.m_strScreenTime[0], FormatTimeText(kSampleTime + 100));
    EXPECT_EQ(r.m_strScreenTime[1], FormatTimeText(kSampleTime + 101));
    EXPECT_EQ(state.m_strMaxText, "98.6");
    EXPECT_EQ(state.m_strMinText, "98.6");
    EXPECT_EQ(state.m_fDisplayMax, 98.6f);
    EXPECT_EQ(state.m_fDisplayMin, 98.6f);
    EXPECT_EQ(state.m_strReading, "12.0");

    // The whole record is untouched.
    EXPECT_EQ(r.m_nTotalCount, before.m_nTotalCount);
    EXPECT_EQ(r.m_fValue, before.m_fValue);
    EXPECT_EQ(r.m_strUnit, before.m_strUnit);
    EXPECT_EQ(r.m_tTime, before.m_tTime);
    EXPECT_EQ(r.m_strTime, before.m_strTime);
    EXPECT_EQ(r.m_fMax, before.m_fMax);
    EXPECT_EQ(r.m_fMin, before.m_fMin);
}

TEST(ApplyDataFile, InconsistentContentsAreClampedToWhatIsThere) {
    MeasurementRecord r;
    MeterState state;
    DataFileContents c;
    c.count = 5000;
    c.values.assign(3, 1.5f);
    c.units.assign(3, "C");
    c.times.assign(2, "t");
    ApplyDataFile(c, r, state);
    EXPECT_EQ(r.m_nScreenCount, 2);
    c.count = -3;
    ApplyDataFile(c, r, state);
    EXPECT_EQ(r.m_nScreenCount, 0);
}

// ---------------------------------------------------------------------------
// Files on disk

class TempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir =
            stdfs::temp_directory_path() / ("mivora-" + std::string(info->test_suite_name()) + "-" +
                                            info->name() + "-" + std::to_string(std::rand()));
        stdfs::remove_all(m_dir);
        stdfs::create_directories(m_dir);
        UseUtc();
    }
    void TearDown() override {
        std::error_code ec;
        stdfs::permissions(m_dir, stdfs::perms::owner_all, stdfs::perm_options::add, ec);
        stdfs::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    static void Write(const std::string& path, const Bytes& b) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    static Bytes Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : stdfs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    stdfs::path m_dir;
};

using RealFiles = TempFolder;

TEST_F(RealFiles, ReadAllReadsAReadOnlyFile) {
    const std::string path = Path("ro.Mvrlog");
    Write(path, SampleFile());
    stdfs::permissions(path, stdfs::perms::owner_read | stdfs::perms::group_read,
                       stdfs::perm_options::replace);
    Bytes got;
    std::string error;
    ASSERT_TRUE(RealFileSystem().ReadAll(path, got, error)) << error;
    EXPECT_EQ(got, SampleFile());

    DataFileContents c;
    const FileResult res = LoadDataFile(RealFileSystem(), path, c);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(c.maxText, "123.4");
}

TEST_F(RealFiles, ReadAllErrorsGiveTheReason) {
    Bytes got;
    std::string error;
    EXPECT_FALSE(RealFileSystem().ReadAll(Path("missing.Mvrlog"), got, error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_FALSE(RealFileSystem().ReadAll(m_dir.string(), got, error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
}

TEST_F(RealFiles, ReadAllStopsOnAnEndlessDevice) {
    if (!stdfs::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero here";
    Bytes got;
    std::string error;
    EXPECT_FALSE(RealFileSystem().ReadAll("/dev/zero", got, error));
    EXPECT_NE(error.find("larger than 64 MiB"), std::string::npos) << error;
}

TEST_F(RealFiles, WriteAllTakesALongFileName) {
    const std::string path = Path(std::string(240, 'n') + ".txt");
    std::string error;
    ASSERT_TRUE(RealFileSystem().WriteAll({{path, Text("x")}}, error)) << error;
    EXPECT_EQ(Read(path), Text("x"));
}

TEST_F(RealFiles, WriteAllReplacesTargetsAndLeavesNoTemporaries) {
    Write(Path("a"), Text("old a"));
    std::string error;
    ASSERT_TRUE(
        RealFileSystem().WriteAll({{Path("a"), Text("new a")}, {Path("b"), Text("new b")}}, error))
        << error;
    EXPECT_EQ(Read(Path("a")), Text("new a"));
    EXPECT_EQ(Read(Path("b")), Text("new b"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
    ASSERT_TRUE(RealFileSystem().WriteAll({{Path("empty"), Bytes{}}}, error)) << error;
    EXPECT_TRUE(Read(Path("empty")).empty());
}

TEST_F(RealFiles, AFailingSecondFileLeavesTheFirstTargetIntact) {
    Write(Path("data.Mvrlog"), Text("old data"));
    struct Case {
        const char* name;
        std::string second;
        const char* reason;
    };
    stdfs::create_directories(m_dir / "in-the-way");
    const Case cases[] = {
        {"missing folder", Path("no-such-folder/listing.txt"), "No such file"},
        {"folder in the way", Path("in-the-way"), "other than a file"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(RealFileSystem().WriteAll(
            {{Path("data.Mvrlog"), Text("new data")}, {c.second, Text("listing")}}, error))
            << c.name;
        EXPECT_NE(error.find(c.second), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(Read(Path("data.Mvrlog")), Text("old data")) << c.name;
        EXPECT_EQ(Names(), (std::vector<std::string>{"data.Mvrlog", "in-the-way"})) << c.name;
    }
}

TEST_F(RealFiles, SaveRecordingWritesBothFilesBesideEachOther) {
    const MeasurementRecord r = FullRecord();
    const MeterState state = Panel("289.3", "-60.0", 289.3f, -60.0f);
    const std::string dataPath = Path(ProposedDataFileName(kSampleTime));
    const FileResult res = SaveRecording(RealFileSystem(), dataPath, kSampleTime, r, state);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(res.dataPath, dataPath);
    EXPECT_EQ(res.listingPath, Path("07-04-15 10.20.30 .txt"));
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"07-04-15 10.20.30 .txt", "07-04-15 10.20.30.Mvrlog"}));
    EXPECT_EQ(Read(dataPath), EncodeDataFile(r, state));
    EXPECT_EQ(Read(res.listingPath), Text(FormatListing(r)));

    DataFileContents c;
    const FileResult loaded = LoadDataFile(RealFileSystem(), dataPath, c);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_EQ(c.count, kMaxCount);
    EXPECT_EQ(FormatListing(c.count, c.values, c.units, c.times), FormatListing(r));
}

TEST_F(RealFiles, LoadErrorsNameTheFileAndTheProblem) {
    const std::string path = Path("short.Mvrlog");
    Bytes file = SampleFile();
    file.resize(20);
    Write(path, file);
    DataFileContents c;
    FileResult res = LoadDataFile(RealFileSystem(), path, c);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error.rfind(path + ": the file is truncated (", 0), 0u) << res.error;

    res = LoadDataFile(RealFileSystem(), Path("gone.Mvrlog"), c);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error.rfind(Path("gone.Mvrlog") + ": cannot be opened", 0), 0u) << res.error;
}

// ---------------------------------------------------------------------------
// Save and load through a fake file system

class FakeFileSystem final : public IFileSystem {
  public:
    bool ReadAll(const std::string& path, Bytes& out, std::string& error) override {
        auto it = files.find(path);
        if (it == files.end()) {
            error = "not found";
            return false;
        }
        out = it->second;
        return true;
    }
    bool WriteAll(const std::vector<std::pair<std::string, Bytes>>& batch,
                  std::string& error) override {
        lastBatch = batch;
        if (!failWith.empty()) {
            error = failWith;
            return false;
        }
        for (const auto& [path, bytes] : batch) files[path] = bytes;
        return true;
    }
    std::map<std::string, Bytes> files;
    std::vector<std::pair<std::string, Bytes>> lastBatch;
    std::string failWith;
};

TEST(SaveRecording, ListingGoesBesideTheDataFileAndIsWrittenFirst) {
    UseUtc();
    MeasurementRecord r;
    AddReading(r, 123.4f, "C", kSampleTime);
    const MeterState state = Panel("123.4", "123.4", 123.4f, 123.4f);
    struct Case {
        std::string dataPath;
        std::string listingPath;
    };
    const Case cases[] = {
        {"/logs/run.Mvrlog", "/logs/07-04-15 10.20.40 .txt"},
        {"run.Mvrlog", "07-04-15 10.20.40 .txt"},
        {"sub/dir/x.Mvrlog", "sub/dir/07-04-15 10.20.40 .txt"},
    };
    for (const auto& c : cases) {
        FakeFileSystem fs;
        const FileResult res = SaveRecording(fs, c.dataPath, kSampleTime + 10, r, state);
        ASSERT_TRUE(res.ok) << res.error;
        EXPECT_EQ(res.listingPath, c.listingPath);
        ASSERT_EQ(fs.lastBatch.size(), 2u);
        EXPECT_EQ(fs.lastBatch[0].first, c.listingPath);
        EXPECT_EQ(fs.lastBatch[1].first, c.dataPath);
        EXPECT_EQ(fs.lastBatch[1].second, SampleFile());
        EXPECT_EQ(fs.lastBatch[0].second, Text(FormatListing(r)));
    }
}

TEST(SaveRecording, FailuresAreReported) {
    MeasurementRecord r;
    AddReading(r, 1.0f, "C", kSampleTime);
    FakeFileSystem fs;
    fs.failWith = "/x/run.Mvrlog: cannot be written: disk full";
    FileResult res = SaveRecording(fs, "/x/run.Mvrlog", kSampleTime, r, MeterState{});
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, fs.failWith);
    res = SaveDataFileOnly(fs, "/x/run.Mvrlog", r, MeterState{});
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, fs.failWith);
}

TEST(SaveRecording, RefusesADataFileNamedLikeItsListing) {
    UseUtc();
    MeasurementRecord r;
    FakeFileSystem fs;
    const FileResult res =
        SaveRecording(fs, "/x/07-04-15 10.20.30 .txt", kSampleTime, r, MeterState{});
    EXPECT_FALSE(res.ok);
    EXPECT_NE(res.error.find("same name"), std::string::npos) << res.error;
    EXPECT_TRUE(fs.lastBatch.empty());
}

TEST(SaveRecording, DataFileOnlyAndLoadBack) {
    MeasurementRecord r;
    AddReading(r, 123.4f, "C", kSampleTime);
    FakeFileSystem fs;
    const FileResult res =
        SaveDataFileOnly(fs, "a.Mvrlog", r, Panel("123.4", "123.4", 123.4f, 123.4f));
    ASSERT_TRUE(res.ok) << res.error;
    ASSERT_EQ(fs.lastBatch.size(), 1u);
    EXPECT_EQ(fs.files["a.Mvrlog"], SampleFile());

    DataFileContents c;
    FileResult loaded = LoadDataFile(fs, "a.Mvrlog", c);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_EQ(c.count, 1);
    loaded = LoadDataFile(fs, "b.Mvrlog", c);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.error, "b.Mvrlog: not found");
}

TEST(SaveRecording, ProposedName) {
    UseUtc();
    EXPECT_EQ(ProposedDataFileName(kSampleTime), "07-04-15 10.20.30.Mvrlog");
    EXPECT_EQ(ListingFileName(kSampleTime), "07-04-15 10.20.30 .txt");
}

}  // namespace
}  // namespace mivora
