#pragma once
// Time stamps: 64-bit seconds since 1970 and their local-time texts.
#include <cstdint>
#include <string>

namespace mivora {

using TimeStamp = std::int64_t;

class IClock {
public:
    virtual ~IClock() = default;
    virtual TimeStamp Now() = 0;
};

class SystemClock final : public IClock {
public:
    TimeStamp Now() override;
};

// strftime on the local time of `t`; an empty text when the time cannot be converted.
std::string FormatLocalTime(TimeStamp t, const char* format);
// "%m-%d-%y/%H:%M:%S", 17 characters: the time text of a reading.
std::string FormatTimeText(TimeStamp t);

}  // namespace mivora
