#include "app/Settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace mivora {
namespace {

namespace stdfs = std::filesystem;

// Sets or unsets environment variables for one test and restores them afterwards.
class EnvGuard {
  public:
    explicit EnvGuard(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            const char* v = std::getenv(n);
            m_saved.emplace_back(n, v ? std::optional<std::string>(v) : std::nullopt);
        }
    }
    ~EnvGuard() {
        for (const auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    static void Set(const char* name, const char* value) {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

#ifndef _WIN32
TEST(SettingsLocation, Directory) {
    EnvGuard guard({"MIVORA_CONFIG_DIR", "XDG_CONFIG_HOME", "HOME"});
    struct Case {
        const char* mivora;
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/etc/mivora-test", "/xdg", "/home/u", "/etc/mivora-test"},
        {"/etc/mivora-test/", "/xdg", "/home/u", "/etc/mivora-test"},
        {"relative/dir", nullptr, "/home/u", "relative/dir"},
        {nullptr, "/xdg", "/home/u", "/xdg/mivora"},
        {"", "/xdg/", "/home/u", "/xdg/mivora"},
        {nullptr, "relative", "/home/u", "/home/u/.config/mivora"},
        {nullptr, "", "/home/u/", "/home/u/.config/mivora"},
        {nullptr, nullptr, "/home/u", "/home/u/.config/mivora"},
        {nullptr, nullptr, "/", "/.config/mivora"},
        {nullptr, nullptr, nullptr, "./.config/mivora"},
    };
    for (const auto& c : cases) {
        EnvGuard::Set("MIVORA_CONFIG_DIR", c.mivora);
        EnvGuard::Set("XDG_CONFIG_HOME", c.xdg);
        EnvGuard::Set("HOME", c.home);
        EXPECT_EQ(SettingsDirectory(), c.expected) << c.expected;
        EXPECT_EQ(SettingsFilePath(), std::string(c.expected) + "/loggerconfig.ini");
    }
    EnvGuard::Set("MIVORA_CONFIG_DIR", "/");
    EXPECT_EQ(SettingsFilePath(), "/loggerconfig.ini");
}
#endif

TEST(Settings, DefaultsWithoutAFile) {
    const AppSettings s = ReadSettings(ProfileFile::Load("/nonexistent/mivora/loggerconfig.ini"));
    EXPECT_EQ(s.nComPort, 3);
    EXPECT_EQ(s.nSampleRate, 0);
    EXPECT_EQ(s.nAlarmHigh, 150);
    EXPECT_EQ(s.nAlarmLow, -50);
    EXPECT_EQ(s.nBgColor, 14);
    EXPECT_EQ(s.nLineColor, 2);
}

TEST(Settings, EachKeyFallsBackOnItsOwn) {
    const AppSettings s = ReadSettings(ProfileFile::Parse(
        "[COMInfo]\r\nCOM "
        "num=7\r\n[alarmloinfo]\r\nalarmlo=-20\r\n[LineColorInfo]\r\nOther=9\r\n"));
    EXPECT_EQ(s.nComPort, 7);
    EXPECT_EQ(s.nSampleRate, 0);
    EXPECT_EQ(s.nAlarmHigh, 150);
    EXPECT_EQ(s.nAlarmLow, -20);
    EXPECT_EQ(s.nBgColor, 14);
    EXPECT_EQ(s.nLineColor, 2);
}

TEST(Settings, ValuesAreNotRangeChecked) {
    const AppSettings s =
        ReadSettings(ProfileFile::Parse("[COMInfo]\nCOM num=99\n[SAMPRATEInfo]\nSAMPRATE=-3\n"));
    EXPECT_EQ(s.nComPort, 99);
    EXPECT_EQ(s.nSampleRate, -3);
}

TEST(Settings, WritesAllSixSectionsInOrder) {
    ProfileFile p;
    AppSettings s;
    s.nComPort = 4;
    s.nSampleRate = 11;
    s.nAlarmHigh = 300;
    s.nAlarmLow = -50;
    s.nBgColor = 0;
    s.nLineColor = 13;
    WriteSettings(p, s);
    const std::string eol = p.Text().find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::string expected =
        "[COMInfo]" + eol + "COM num=4" + eol + "[SAMPRATEInfo]" + eol + "SAMPRATE=11" + eol +
        "[ALARMHIInfo]" + eol + "ALARMHI=300" + eol + "[ALARMLOInfo]" + eol + "ALARMLO=-50" + eol +
        "[BGColorInfo]" + eol + "BGColor=0" + eol + "[LineColorInfo]" + eol + "LineColor=13" + eol;
    EXPECT_EQ(p.Text(), expected);

    const AppSettings back = ReadSettings(ProfileFile::Parse(p.Text()));
    EXPECT_EQ(back.nComPort, 4);
    EXPECT_EQ(back.nSampleRate, 11);
    EXPECT_EQ(back.nAlarmHigh, 300);
    EXPECT_EQ(back.nAlarmLow, -50);
    EXPECT_EQ(back.nBgColor, 0);
    EXPECT_EQ(back.nLineColor, 13);
}

TEST(Settings, RewritingAnExistingFileReplacesValuesAndKeepsTheRest) {
    ProfileFile p = ProfileFile::Parse(
        "[COMDevices]\r\nCOM3=/dev/pts/4\r\n[COMInfo]\r\nCOM num=3\r\n[ALARMLOInfo]\r\n"
        "ALARMLO=-50\r\n");
    AppSettings s;
    s.nComPort = 5;
    s.nAlarmLow = -75;
    WriteSettings(p, s);
    const std::string text = p.Text();
    EXPECT_EQ(text.rfind("[COMDevices]\r\nCOM3=/dev/pts/4\r\n[COMInfo]\r\nCOM num=5\r\n"
                         "[ALARMLOInfo]\r\nALARMLO=-75\r\n[SAMPRATEInfo]\r\nSAMPRATE=0\r\n",
                         0),
              0u)
        << text;
    EXPECT_EQ(ReadSettings(p).nAlarmLow, -75);
    EXPECT_EQ(ComDevicePath(p, 3), "/dev/pts/4");
}

TEST(Settings, FileRoundTrip) {
    const stdfs::path dir = stdfs::temp_directory_path() / "mivora-settings-roundtrip";
    stdfs::remove_all(dir);
    EnvGuard guard({"MIVORA_CONFIG_DIR"});
    EnvGuard::Set("MIVORA_CONFIG_DIR", (dir / "cfg").string().c_str());
    const std::string path = SettingsFilePath();
    EXPECT_EQ(ReadSettings(ProfileFile::Load(path)).nAlarmLow, -50);

    ProfileFile p = ProfileFile::Load(path);
    AppSettings s;
    s.nAlarmLow = -120;
    s.nBgColor = 3;
    WriteSettings(p, s);
    std::string error;
    ASSERT_TRUE(p.Save(path, error)) << error;
    const AppSettings back = ReadSettings(ProfileFile::Load(path));
    EXPECT_EQ(back.nAlarmLow, -120);
    EXPECT_EQ(back.nBgColor, 3);
    EXPECT_EQ(back.nComPort, 3);
    stdfs::remove_all(dir);
}

TEST(Settings, ComDevicePath) {
    const ProfileFile p =
        ProfileFile::Parse("[comdevices]\ncom2=/dev/ttyUSB0\nCOM4=\n[COMInfo]\nCOM1=/dev/x\n");
    EXPECT_EQ(ComDevicePath(p, 2), "/dev/ttyUSB0");
#ifdef _WIN32
    EXPECT_EQ(ComDevicePath(p, 1), "COM1");
    EXPECT_EQ(ComDevicePath(p, 4), "COM4");
    EXPECT_EQ(ComDevicePath(ProfileFile{}, 16), "COM16");
#else
    EXPECT_EQ(ComDevicePath(p, 1), "/dev/ttyS0");
    EXPECT_EQ(ComDevicePath(p, 4), "/dev/ttyS3");  // an empty entry is no entry
    EXPECT_EQ(ComDevicePath(ProfileFile{}, 16), "/dev/ttyS15");
    EXPECT_EQ(ComDevicePath(ProfileFile{}, 0), "/dev/ttyS-1");
#endif
}

}  // namespace
}  // namespace mivora
