#pragma once
// The plain-text listing written beside every saved data file.
#include <string>
#include <vector>

#include "record/MeasurementRecord.h"

namespace mivora {

extern const char* const kListingHeader;  // 61 characters, without "\r\n"

// "%y-%m-%d %H.%M.%S .txt"
std::string ListingFileName(TimeStamp saveTime);
// One line, without "\r\n".
std::string ListingLine(int number, float value, const std::string& unit, const std::string& time);
// Header and one line per reading of the whole record, times from m_tTime.
std::string FormatListing(const MeasurementRecord& record);
// The same from stored time texts (a loaded file).
std::string FormatListing(int count, const std::vector<float>& values,
                          const std::vector<std::string>& units,
                          const std::vector<std::string>& times);

}  // namespace mivora
