#pragma once
// The ".Mvrlog" data file: byte layout, and Save/Open that never leave a
// half-written file or a half-loaded record behind.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "record/MeasurementRecord.h"

namespace mivora {

struct DataFileContents {
    int count = 0;
    std::vector<float> values;
    std::vector<std::string> units;
    std::vector<std::string> times;
    std::string maxText, minText;
    float displayMax = 0.0f, displayMin = 0.0f;
};

// Archive string helpers (little-endian length prefixes).
void AppendArchiveString(std::vector<std::uint8_t>& out, const std::string& text);

// The whole record and the panel's MAX/MIN texts and values.
std::vector<std::uint8_t> EncodeDataFile(const MeasurementRecord& record, const MeterState& state);
// Parses a complete file; on failure `error` says what is wrong and `out` is unspecified.
bool DecodeDataFile(const std::uint8_t* pBytes, std::size_t nCount, DataFileContents& out,
                    std::string& error);
// Puts loaded contents into the screen series and the panel, sets m_bReloaded.
// The whole record is left alone.
void ApplyDataFile(const DataFileContents& contents, MeasurementRecord& record, MeterState& state);

class IFileSystem {
  public:
    virtual ~IFileSystem() = default;
    // `error` gives the reason only ("cannot be opened: ..."); the caller adds the path.
    virtual bool ReadAll(const std::string& path, std::vector<std::uint8_t>& out,
                         std::string& error) = 0;
    // Writes every file to a temporary beside its target and renames them into
    // place only when all were written; on failure no target is touched.
    // `error` names the file that failed and the reason.
    virtual bool WriteAll(
        const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& files,
        std::string& error) = 0;
};
IFileSystem& RealFileSystem();

struct FileResult {
    bool ok = false;
    std::string error;  // names the file and the reason
    std::string dataPath;
    std::string listingPath;
};

// "%y-%m-%d %H.%M.%S.Mvrlog"
std::string ProposedDataFileName(TimeStamp saveTime);
// Saves the data file at `dataPath` and the text listing, named after `saveTime`,
// in the same folder.
FileResult SaveRecording(IFileSystem& fs, const std::string& dataPath, TimeStamp saveTime,
                         const MeasurementRecord& record, const MeterState& state);
// Data file only (the platform's standard save).
FileResult SaveDataFileOnly(IFileSystem& fs, const std::string& dataPath,
                            const MeasurementRecord& record, const MeterState& state);
FileResult LoadDataFile(IFileSystem& fs, const std::string& path, DataFileContents& out);

}  // namespace mivora
