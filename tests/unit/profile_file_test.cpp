#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/ProfileFile.h"

namespace mivora {
namespace {

namespace stdfs = std::filesystem;

const char* const kSample =
    "; written by hand\r\n"
    "[COMInfo]\r\n"
    "COM num=5\r\n"
    "\r\n"
    "  [ alarmloinfo ]  \r\n"
    "  ALARMLO  =   -50   \r\n"
    "[Names]\r\n"
    "Plain=hello world\r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Mismatched=\"x'\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    ";Hidden=1\r\n"
    "Dup=first\r\n"
    "Dup=second\r\n"
    "[Later]\r\n"
    "Plain=other section\r\n"
    "[names]\r\n"
    "OnlyHere=2\r\n";

TEST(ProfileFile, StringLookup) {
    const ProfileFile p = ProfileFile::Parse(kSample);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"COMInfo", "COM num", "5"},
        {"cominfo", "com NUM", "5"},
        {"ALARMLOInfo", "alarmlo", "-50"},
        {"Names", "Plain", "hello world"},
        {"Names", "Quoted", "  padded  "},
        {"Names", "Single", "x"},
        {"Names", "Mismatched", "\"x'"},
        {"Names", "Empty", ""},
        {"Names", "Dup", "first"},
        {"Later", "Plain", "other section"},
        // Missing: no such key, key in another section, a comment, a line without '=',
        // a repeated section (only the first counts), no such section.
        {"Names", "Absent", "<default>"},
        {"COMInfo", "Plain", "<default>"},
        {"Names", ";Hidden", "<default>"},
        {"Names", "Hidden", "<default>"},
        {"Names", "NoEquals", "<default>"},
        {"Names", "OnlyHere", "<default>"},
        {"Nowhere", "Plain", "<default>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(p.GetString(c.section, c.key, "<default>"), c.expected)
            << c.section << "/" << c.key;
}

TEST(ProfileFile, IntegerLookup) {
    struct Case {
        const char* value;
        int expected;
    };
    const Case cases[] = {
        {"3", 3},
        {"-50", -50},
        {"+7", 7},
        {"  42  ", 42},
        {"12abc", 12},
        {"0x10", 0},
        {"abc", 0},
        {"-", 0},
        {"1 2", 1},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
        {"", 77},  // an empty value gives the default
    };
    for (const auto& c : cases) {
        const ProfileFile p = ProfileFile::Parse(std::string("[S]\nK=") + c.value + "\n");
        EXPECT_EQ(p.GetInt("S", "K", 77), c.expected) << "'" << c.value << "'";
    }
    const ProfileFile p = ProfileFile::Parse("[S]\nK=1\n");
    EXPECT_EQ(p.GetInt("S", "Other", -9), -9);
    EXPECT_EQ(p.GetInt("T", "K", 14), 14);
}

TEST(ProfileFile, LineEndsAndLastLine) {
    const ProfileFile lf = ProfileFile::Parse("[A]\nx=1\n[B]\ny=2");
    EXPECT_EQ(lf.GetInt("A", "x", 0), 1);
    EXPECT_EQ(lf.GetInt("B", "y", 0), 2);
    EXPECT_EQ(lf.Text(), "[A]\nx=1\n[B]\ny=2\n");
    const ProfileFile crlf = ProfileFile::Parse("[A]\r\nx=1\r\n");
    EXPECT_EQ(crlf.GetString("A", "x", ""), "1");
    EXPECT_EQ(crlf.Text(), "[A]\r\nx=1\r\n");
    const ProfileFile bom = ProfileFile::Parse("\xEF\xBB\xBF[A]\nx=1\n");
    EXPECT_EQ(bom.GetInt("A", "x", 0), 1);
    EXPECT_EQ(ProfileFile::Parse("").Text(), "");
}

TEST(ProfileFile, UnchangedTextStaysAsItWas) {
    EXPECT_EQ(ProfileFile::Parse(kSample).Text(), kSample);
}

TEST(ProfileFile, SetReplacesTheKeysLineInPlace) {
    ProfileFile p = ProfileFile::Parse(kSample);
    p.SetString("alarmloinfo", "ALARMLO", "-60");
    p.SetString("Names", "dup", "third");
    std::string expected = kSample;
    expected.replace(expected.find("  ALARMLO  =   -50   "), 21, "ALARMLO=-60");
    expected.replace(expected.find("Dup=first"), 9, "dup=third");
    EXPECT_EQ(p.Text(), expected);
    EXPECT_EQ(p.GetInt("ALARMLOInfo", "ALARMLO", 0), -60);
    EXPECT_EQ(p.GetString("Names", "Dup", ""), "third");
}

TEST(ProfileFile, SetAppendsToTheSectionOrAddsIt) {
    ProfileFile p = ProfileFile::Parse("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    p.SetString("a", "z", "3");     // after the section's last entry, before the blank line
    p.SetInt("C", "COM num", -50);  // a new section at the end
    p.SetInt("B", "w", 4);
    EXPECT_EQ(p.Text(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\nw=4\r\n[C]\r\nCOM num=-50\r\n");
    EXPECT_EQ(p.GetInt("C", "com num", 0), -50);

    ProfileFile empty;
    empty.SetString("S", "K", "v");
    EXPECT_EQ(empty.GetString("S", "K", ""), "v");
    ProfileFile headerOnly = ProfileFile::Parse("[S]\n");
    headerOnly.SetString("S", "K", "v");
    EXPECT_EQ(headerOnly.Text(), "[S]\nK=v\n");
}

TEST(ProfileFile, LineBreaksCannotInjectLines) {
    ProfileFile p;
    p.SetString("S", "K", "1\r\n[Evil]\nX=2");
    EXPECT_EQ(p.GetString("Evil", "X", "none"), "none");
    EXPECT_EQ(p.GetString("S", "K", ""), "1  [Evil] X=2");
}

class ProfileFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = stdfs::temp_directory_path() /
                ("mivora-profile-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        stdfs::remove_all(m_dir);
    }
    void TearDown() override { stdfs::remove_all(m_dir); }
    stdfs::path m_dir;
};

TEST_F(ProfileFileOnDisk, SaveCreatesTheFolderAndLoadReadsItBack) {
    const std::string path = (m_dir / "deeper" / "loggerconfig.ini").string();
    EXPECT_EQ(ProfileFile::Load(path).Text(), "");
    ProfileFile p;
    p.SetInt("ALARMLOInfo", "ALARMLO", -50);
    p.SetString("COMDevices", "COM3", "/dev/pts/7");
    std::string error;
    ASSERT_TRUE(p.Save(path, error)) << error;
    const ProfileFile back = ProfileFile::Load(path);
    EXPECT_EQ(back.Text(), p.Text());
    EXPECT_EQ(back.GetInt("alarmloinfo", "alarmlo", 0), -50);
    EXPECT_EQ(back.GetString("COMDevices", "COM3", ""), "/dev/pts/7");
    EXPECT_EQ(stdfs::directory_iterator(m_dir / "deeper")->path().filename(), "loggerconfig.ini");
}

TEST_F(ProfileFileOnDisk, SaveFailureIsReported) {
    stdfs::create_directories(m_dir);
    std::ofstream(m_dir / "file") << "x";
    const std::string path = (m_dir / "file" / "loggerconfig.ini").string();
    std::string error;
    EXPECT_FALSE(ProfileFile().Save(path, error));
    EXPECT_FALSE(error.empty());
    // A folder where the file should be.
    stdfs::create_directories(m_dir / "loggerconfig.ini");
    error.clear();
    EXPECT_FALSE(ProfileFile().Save((m_dir / "loggerconfig.ini").string(), error));
    EXPECT_NE(error.find("loggerconfig.ini"), std::string::npos) << error;
    EXPECT_EQ(ProfileFile::Load((m_dir / "loggerconfig.ini").string()).Text(), "");
}

}  // namespace
}  // namespace mivora
