// recover: turns the recovery journal of an interrupted recording into a data
// file and its listing.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "record/DataFile.h"
#include "record/Journal.h"
#include "record/MeasurementRecord.h"
#include "record/TimeText.h"

namespace mivora::cli {

namespace {

const char* const kRecoverHelp =
    "Usage: mivora-cli recover JOURNAL --out FILE.Mvrlog\n"
    "Writes the readings of an interrupted recording, kept in the recovery journal\n"
    "that record leaves beside its output file, to a data file and its text listing.\n"
    "A half-written entry at the end of the journal (the reading being written when\n"
    "the recording was killed) is cut and reported. The journal is removed once the\n"
    "data file was saved.\n"
    "  --out FILE      data file to write\n"
    "Exit status: 0 saved, 1 the journal cannot be read or the file cannot be saved,\n"
    "2 usage error.\n";

}  // namespace

int RunRecover(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    std::string error;
    if (!ParseArgs(args, {"out"}, {}, parsed, error)) return UsageError("recover", error);
    if (parsed.help) {
        std::fputs(kRecoverHelp, stdout);
        return kExitOk;
    }
    if (parsed.positional.size() != 1) return UsageError("recover", "give exactly one journal");
    if (parsed.values.count("out") == 0 || parsed.values["out"].empty()) {
        return UsageError("recover", "--out FILE.Mvrlog is required");
    }
    const std::string& journalPath = parsed.positional[0];
    const std::string& outPath = parsed.values["out"];

    JournalContents contents;
    if (!ReadJournal(journalPath, contents, error)) return InputError("recover", error);
    {
        // Saving over the journal and then removing it would lose both.
        std::error_code ec;
        const auto canonical = [&ec](const std::string& p) {
            return std::filesystem::weakly_canonical(std::filesystem::absolute(p, ec), ec);
        };
        if (canonical(outPath) == canonical(journalPath)) {
            return InputError(
                "recover", "--out " + outPath + " is the journal itself; give another file name");
        }
    }
    if (contents.damagedBytes > 0) {
        std::fprintf(stderr,
                     "mivora-cli recover: %s: cut a damaged tail of %zu byte(s) after %zu intact "
                     "reading(s)\n",
                     journalPath.c_str(), contents.damagedBytes, contents.entries.size());
    }
    if (contents.entries.empty()) {
        std::printf("%s holds no readings; no file written.\n", journalPath.c_str());
        std::error_code ec;
        std::filesystem::remove(journalPath, ec);
        return kExitOk;
    }
    MeasurementRecord record;
    RestoreFromJournal(contents, record);
    const MeterState state = RecoveredMeterState(record);
    const FileResult saved =
        SaveRecording(RealFileSystem(), outPath, SystemClock().Now(), record, state);
    if (!saved.ok) {
        return InputError("recover", "could not save the " + std::to_string(record.m_nTotalCount) +
                                         " readings: " + saved.error + "\nThe journal " +
                                         journalPath + " is kept.");
    }
    std::error_code ec;
    std::filesystem::remove(journalPath, ec);
    if (ec) {
        std::fprintf(stderr, "mivora-cli recover: warning: cannot remove %s: %s\n",
                     journalPath.c_str(), ec.message().c_str());
    }
    std::printf("Recovered %d reading(s) to %s\nListing: %s\n", record.m_nTotalCount,
                saved.dataPath.c_str(), saved.listingPath.c_str());
    return std::fflush(stdout) == 0 ? kExitOk : kExitBadInput;
}

}  // namespace mivora::cli
