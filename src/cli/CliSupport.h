#pragma once
// Pure helpers of mivora-cli: argument parsing, output formats and the
// simulator's frame sequence. No Qt, no I/O, so they are unit-tested.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "meter/Acquisition.h"
#include "meter/MeterFrame.h"
#include "record/DataFile.h"
#include "record/Journal.h"
#include "record/MeasurementRecord.h"

namespace mivora::cli {

enum ExitCode { kExitOk = 0, kExitBadInput = 1, kExitUsage = 2 };

// "--name value", "--name=value" and bare flags; everything else is positional.
struct ParsedArgs {
    std::map<std::string, std::string> values;  // option name without "--"
    std::set<std::string> flags;
    std::vector<std::string> positional;
    bool help = false;
};
// `valueOptions` take a value, `flagOptions` do not. False with `error` for an
// unknown option or a missing value.
bool ParseArgs(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
               const std::set<std::string>& flagOptions, ParsedArgs& out, std::string& error);

// Hex bytes given as separate words ("10 20 35"), one string ("10 20 35" or
// "102035"), optionally with 0x prefixes or commas.
bool ParseHexBytes(const std::vector<std::string>& words, std::vector<std::uint8_t>& out,
                   std::string& error);
// "auto" or an interval name ("2s" ... "60min"), case-insensitive; the index 0..11.
bool ParseIntervalIndex(const std::string& text, int& index);
// A decimal integer within [minValue, maxValue].
bool ParseBoundedInt(const std::string& text, long long minValue, long long maxValue,
                     long long& value);
// A positive finite number.
bool ParsePositiveNumber(const std::string& text, double& value);

// Every field of a decoded frame, "name: value" one per line.
std::string FormatFrameFields(const MeterFrame& frame);
// "no,value,unit,time" and one row per reading; the value is empty for a logged
// entry without a value.
std::string FormatCsv(const DataFileContents& contents);
// One committed reading as record prints it: "   1  123.4 C  04-15-07/10:20:30".
std::string FormatReadingLine(const ListRow& row);

// The recovery journal record keeps beside its output file: "<out>.journal", or
// "mivora-record.journal" in the current folder when the data file gets the
// time-based name at the end.
std::string RecordJournalPath(const std::string& outPath);
// The panel's MAX/MIN of a record restored from a journal: "%.1f" of its running
// extremes; empty texts and 0 when it holds no reading with a value.
MeterState RecoveredMeterState(const MeasurementRecord& record);

enum class SimPattern { Sine, Ramp, Steps };
bool ParsePattern(const std::string& text, SimPattern& pattern);

struct SimulatorSettings {
    SimPattern pattern = SimPattern::Sine;
    bool celsius = true;
    int logEvery = 0;  // 0: no logged entries
};
// The n-th frame (0-based) the simulator sends: mode code, emissivity, raw
// reading and status. Every logEvery-th frame is a logged entry, alternately with
// and without a value; now and then the mode changes and the lock toggles.
MeterFrame SimulatedFrame(const SimulatorSettings& settings, long long n);

// The time one frame occupies at `rateHz`, never less than ten bytes take on a
// 2400-baud line (10 bits each).
double FramePeriodSeconds(double rateHz);

}  // namespace mivora::cli
