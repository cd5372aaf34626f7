// Arbitrary text as a settings file: every look-up answers, and a written key reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/ProfileFile.h"
#include "app/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    mivora::ProfileFile profile = mivora::ProfileFile::Parse(text);
    mivora::AppSettings s = mivora::ReadSettings(profile);
    (void)mivora::ComDevicePath(profile, s.nComPort);
    profile.SetInt("ALARMLOInfo", "ALARMLO", -50);
    mivora::ProfileFile again = mivora::ProfileFile::Parse(profile.Text());
    if (again.GetInt("ALARMLOInfo", "ALARMLO", 7) != -50) std::abort();
    return 0;
}
