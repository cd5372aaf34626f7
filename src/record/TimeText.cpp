#include "record/TimeText.h"

#include <chrono>
#include <ctime>

namespace mivora {

TimeStamp SystemClock::Now() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::string FormatLocalTime(TimeStamp t, const char* format) {
    std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
#ifdef _WIN32
    if (localtime_s(&tm, &tt) != 0) return {};
#else
    if (localtime_r(&tt, &tm) == nullptr) return {};
#endif
    char buf[128];
    std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
    return std::string(buf, n);
}

std::string FormatTimeText(TimeStamp t) { return FormatLocalTime(t, "%m-%d-%y/%H:%M:%S"); }

}  // namespace mivora
