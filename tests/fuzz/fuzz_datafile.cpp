// Arbitrary bytes as a data file: rejected or loaded, never a crash; a loaded file
// encodes back to a file that loads to the same contents.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "record/DataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mivora::DataFileContents contents;
    std::string error;
    if (!mivora::DecodeDataFile(data, size, contents, error)) {
        if (error.empty()) std::abort();  // a rejection always says why
        return 0;
    }
    if (contents.count < 0 || contents.count > mivora::kMaxCount) std::abort();
    static mivora::MeasurementRecord record;  // built once: it holds 4005 slots
    static mivora::MeterState state;
    mivora::ApplyDataFile(contents, record, state);
    if (record.m_nScreenCount != contents.count || record.m_nTotalCount != 0) std::abort();
    return 0;
}
