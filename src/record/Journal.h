#pragma once
// Recovery journal: every committed reading is appended and flushed at once, so
// a crash, a kill or a power cut loses at most the reading being written.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "record/MeasurementRecord.h"

namespace mivora {

struct JournalEntry {
    float value = 0.0f;
    TimeStamp time = 0;
    std::string unit;
    std::string timeText;
};

struct JournalContents {
    std::vector<JournalEntry> entries;
    std::size_t validBytes = 0;    // length of the intact part of the file
    std::size_t damagedBytes = 0;  // a half-written or corrupt tail that was cut
};

// Parses journal bytes. False only when the bytes are not a journal at all (wrong
// signature); a damaged tail is cut and reported in damagedBytes.
bool ParseJournal(const std::uint8_t* pBytes, std::size_t nCount, JournalContents& out,
                  std::string& error);
// Reads a journal file; false with `error` when it cannot be read or is no journal.
bool ReadJournal(const std::string& path, JournalContents& out, std::string& error);
// The whole record as the journal holds it; the screen series shows the same readings.
void RestoreFromJournal(const JournalContents& contents, MeasurementRecord& record);
std::vector<std::uint8_t> EncodeJournalEntry(const JournalEntry& entry);
extern const char kJournalSignature[8];

class Journal {
public:
    Journal() = default;
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Opens (creating) the journal at `path`, keeping entries already in it after
    // cutting a damaged tail. `durable` also forces each entry to the disk.
    bool Open(const std::string& path, bool durable, std::string& error);
    bool IsOpen() const { return m_file != nullptr; }
    const std::string& Path() const { return m_path; }
    // Appends one reading and flushes it.
    bool Append(const JournalEntry& entry, std::string& error);
    // Appends entry `index` of the whole record.
    bool AppendReading(const MeasurementRecord& record, int index, std::string& error);
    // Empties the journal (the record was emptied).
    bool Clear(std::string& error);
    // Closes and deletes the journal file (clean end).
    void Remove();
    void Close();

private:
    bool Sync(std::string& error);

    std::FILE* m_file = nullptr;
    std::string m_path;
    bool m_bDurable = true;
};

}  // namespace mivora
