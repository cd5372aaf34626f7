#include "app/Settings.h"

#include <cstdlib>

namespace mivora {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

const char* const kComSection = "COMInfo";
const char* const kComKey = "COM num";
const char* const kRateSection = "SAMPRATEInfo";
const char* const kRateKey = "SAMPRATE";
const char* const kHighSection = "ALARMHIInfo";
const char* const kHighKey = "ALARMHI";
const char* const kLowSection = "ALARMLOInfo";
const char* const kLowKey = "ALARMLO";
const char* const kBgSection = "BGColorInfo";
const char* const kBgKey = "BGColor";
const char* const kLineSection = "LineColorInfo";
const char* const kLineKey = "LineColor";
const char* const kDeviceSection = "COMDevices";

// An unset variable and an empty one are the same.
std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::string(v) : std::string();
}

bool IsSeparator(char c) {
    return c == '/' || c == kSeparator;
}

std::string WithoutTrailingSeparator(std::string dir) {
    while (dir.size() > 1 && IsSeparator(dir.back())) dir.pop_back();
    return dir;
}

// `dir` + separator + `name`, without doubling a separator already there ("/").
std::string Join(const std::string& dir, const char* name) {
    const std::string base = WithoutTrailingSeparator(dir);
    if (!base.empty() && IsSeparator(base.back())) return base + name;
    return base + kSeparator + name;
}

}  // namespace

std::string SettingsDirectory() {
    std::string dir = Env("MIVORA_CONFIG_DIR");
#ifdef _WIN32
    if (dir.empty()) dir = Env("WINDIR");
    if (dir.empty()) dir = Env("SystemRoot");
    if (dir.empty()) dir = "C:\\Windows";
#else
    if (dir.empty()) {
        // The XDG base directory rules ignore a relative value.
        const std::string xdg = Env("XDG_CONFIG_HOME");
        if (!xdg.empty() && xdg[0] == '/') {
            dir = Join(xdg, "mivora");
        } else {
            const std::string home = Env("HOME");
            dir = Join(Join(home.empty() ? std::string(".") : home, ".config"), "mivora");
        }
    }
#endif
    return WithoutTrailingSeparator(dir);
}

std::string SettingsFilePath() {
    return Join(SettingsDirectory(), "loggerconfig.ini");
}

AppSettings ReadSettings(const ProfileFile& profile) {
    const AppSettings defaults;
    AppSettings s;
    s.nComPort = profile.GetInt(kComSection, kComKey, defaults.nComPort);
    s.nSampleRate = profile.GetInt(kRateSection, kRateKey, defaults.nSampleRate);
    s.nAlarmHigh = profile.GetInt(kHighSection, kHighKey, defaults.nAlarmHigh);
    s.nAlarmLow = profile.GetInt(kLowSection, kLowKey, defaults.nAlarmLow);
    s.nBgColor = profile.GetInt(kBgSection, kBgKey, defaults.nBgColor);
    s.nLineColor = profile.GetInt(kLineSection, kLineKey, defaults.nLineColor);
    return s;
}

void WriteSettings(ProfileFile& profile, const AppSettings& settings) {
    profile.SetInt(kComSection, kComKey, settings.nComPort);
    profile.SetInt(kRateSection, kRateKey, settings.nSampleRate);
    profile.SetInt(kHighSection, kHighKey, settings.nAlarmHigh);
    profile.SetInt(kLowSection, kLowKey, settings.nAlarmLow);
    profile.SetInt(kBgSection, kBgKey, settings.nBgColor);
    profile.SetInt(kLineSection, kLineKey, settings.nLineColor);
}

std::string ComDevicePath(const ProfileFile& profile, int comPort) {
    const std::string key = "COM" + std::to_string(comPort);
#ifdef _WIN32
    const std::string fallback = key;
#else
    const std::string fallback = "/dev/ttyS" + std::to_string(static_cast<long long>(comPort) - 1);
#endif
    const std::string device = profile.GetString(kDeviceSection, key, fallback);
    return device.empty() ? fallback : device;
}

}  // namespace mivora
