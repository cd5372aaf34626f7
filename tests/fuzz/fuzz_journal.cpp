// Arbitrary bytes as a recovery journal: parsed or rejected, the intact part
// always re-parses to the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "record/Journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mivora::JournalContents c;
    std::string error;
    if (!mivora::ParseJournal(data, size, c, error)) return 0;
    if (c.validBytes + c.damagedBytes != size) std::abort();
    mivora::JournalContents again;
    if (!mivora::ParseJournal(data, c.validBytes, again, error)) std::abort();
    if (again.entries.size() != c.entries.size() || again.damagedBytes != 0) std::abort();
    static mivora::MeasurementRecord record;  // built once: it holds 4005 slots
    mivora::RestoreFromJournal(c, record);
    return 0;
}
