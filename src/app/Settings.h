#pragma once
// The six settings of loggerconfig.ini and where the file lives.
#include <string>

#include "app/ProfileFile.h"

namespace mivora {

// $MIVORA_CONFIG_DIR, else $XDG_CONFIG_HOME/mivora, else ~/.config/mivora; on
// Windows the Windows directory.
std::string SettingsDirectory();
std::string SettingsFilePath();  // SettingsDirectory() + "/loggerconfig.ini"

struct AppSettings {
    int nComPort = 3;
    int nSampleRate = 0;
    int nAlarmHigh = 150;
    int nAlarmLow = -50;
    int nBgColor = 14;
    int nLineColor = 2;
};

AppSettings ReadSettings(const ProfileFile& profile);
// Writes the six keys in the order COM num, SAMPRATE, ALARMHI, ALARMLO, BGColor, LineColor.
void WriteSettings(ProfileFile& profile, const AppSettings& settings);

// Serial device of port number n: [COMDevices] COM<n>=..., else COM<n> on
// Windows and /dev/ttyS<n-1> elsewhere.
std::string ComDevicePath(const ProfileFile& profile, int comPort);

}  // namespace mivora
