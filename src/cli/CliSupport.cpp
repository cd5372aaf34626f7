#include "cli/CliSupport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "record/MeasurementRecord.h"

namespace mivora::cli {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

bool ParseArgs(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
               const std::set<std::string>& flagOptions, ParsedArgs& out, std::string& error) {
    out = ParsedArgs{};
    bool onlyPositional = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyPositional || arg.size() < 2 || arg[0] != '-' || (arg[1] != '-' && arg != "-h")) {
            out.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyPositional = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            out.help = true;
            continue;
        }
        std::string name = arg.substr(2);
        std::string value;
        bool hasValue = false;
        const std::size_t eq = name.find('=');
        if (eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        if (valueOptions.count(name) != 0) {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    error = "option --" + name + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            out.values[name] = value;
        } else if (flagOptions.count(name) != 0 && !hasValue) {
            out.flags.insert(name);
        } else if (flagOptions.count(name) != 0) {
            error = "option --" + name + " takes no value";
            return false;
        } else {
            error = "unknown option --" + name;
            return false;
        }
    }
    return true;
}

bool ParseHexBytes(const std::vector<std::string>& words, std::vector<std::uint8_t>& out,
                   std::string& error) {
    out.clear();
    std::string joined;
    for (const std::string& w : words) {
        joined += w;
        joined += ' ';
    }
    std::size_t i = 0;
    while (i < joined.size()) {
        const char c = joined[i];
        if (c == ' ' || c == '\t' || c == ',' || c == '\n' || c == '\r') {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < joined.size() && joined[end] != ' ' && joined[end] != '\t' &&
               joined[end] != ',' && joined[end] != '\n' && joined[end] != '\r') {
            ++end;
        }
        std::string token = joined.substr(i, end - i);
        i = end;
        if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
            token = token.substr(2);
        }
        if (token.size() % 2 != 0) {
            // A single digit is a byte of its own ("A" = 0x0A); longer words are pairs.
            if (token.size() == 1) {
                token = "0" + token;
            } else {
                error = "\"" + token + "\" is not a whole number of hex bytes";
                return false;
            }
        }
        for (std::size_t k = 0; k < token.size(); k += 2) {
            const int hi = HexDigit(token[k]);
            const int lo = HexDigit(token[k + 1]);
            if (hi < 0 || lo < 0) {
                error = "\"" + token + "\" is not hexadecimal";
                return false;
            }
            out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        }
    }
    if (out.empty()) {
        error = "no bytes given";
        return false;
    }
    return true;
}

bool ParseIntervalIndex(const std::string& text, int& index) {
    const std::string wanted = Lower(text);
    const std::vector<std::string>& names = IntervalNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (Lower(names[i]) == wanted) {
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool ParseBoundedInt(const std::string& text, long long minValue, long long maxValue,
                     long long& value) {
    if (text.empty() || text.size() > 19) return false;
    std::size_t start = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (start == text.size()) return false;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || parsed < minValue || parsed > maxValue) return false;
    value = parsed;
    return true;
}

bool ParsePositiveNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(parsed) ||
        parsed <= 0.0) {
        return false;
    }
    value = parsed;
    return true;
}

std::string FormatFrameFields(const MeterFrame& frame) {
    char reading[64];
    std::snprintf(reading, sizeof reading, "%.1f", static_cast<double>(frame.fReading));
    char status[8];
    std::snprintf(status, sizeof status, "0x%02X", static_cast<unsigned>(frame.byStatus));
    auto flag = [](bool b) { return b ? std::string("true") : std::string("false"); };
    std::string out;
    out += "nModeCode: " + std::to_string(frame.nModeCode) + "\n";
    out += "strMode: " + frame.strMode + "\n";
    out += "nEmissivity: " + std::to_string(frame.nEmissivity) + "\n";
    out += "strEmissivity: " + frame.strEmissivity + "\n";
    out += "nRawReading: " + std::to_string(frame.nRawReading) + "\n";
    out += std::string("fReading: ") + reading + "\n";
    out += std::string("byStatus: ") + status + "\n";
    out += "bNegative: " + flag(frame.bNegative) + "\n";
    out += "bCelsius: " + flag(frame.bCelsius) + "\n";
    out += "bLocked: " + flag(frame.bLocked) + "\n";
    out += "bLogHasValue: " + flag(frame.bLogHasValue) + "\n";
    out += "bLogRecord: " + flag(frame.bLogRecord) + "\n";
    return out;
}

std::string FormatCsv(const DataFileContents& contents) {
    std::string out = "no,value,unit,time\n";
    for (int i = 0; i < contents.count; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const float value = k < contents.values.size() ? contents.values[k] : 0.0f;
        std::string valueText;
        if (value < kNoValueMarker) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(value));
            valueText = buf;
        }
        const std::string unit = k < contents.units.size() ? contents.units[k] : std::string();
        const std::string time = k < contents.times.size() ? contents.times[k] : std::string();
        out += std::to_string(i + 1) + "," + valueText + "," + CsvField(unit) + "," +
               CsvField(time) + "\n";
    }
    return out;
}

std::string FormatReadingLine(const ListRow& row) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%4s %6s %s  %s", row.no.c_str(), row.data.c_str(),
                  row.unit.c_str(), row.time.c_str());
    return buf;
}

bool ParsePattern(const std::string& text, SimPattern& pattern) {
    const std::string t = Lower(text);
    if (t == "sine") {
        pattern = SimPattern::Sine;
    } else if (t == "ramp") {
        pattern = SimPattern::Ramp;
    } else if (t == "steps") {
        pattern = SimPattern::Steps;
    } else {
        return false;
    }
    return true;
}

MeterFrame SimulatedFrame(const SimulatorSettings& settings, long long n) {
    constexpr double kPi = 3.14159265358979323846;
    double value = 0.0;  // display units
    switch (settings.pattern) {
        case SimPattern::Sine:
            value = 25.0 + 60.0 * std::sin(2.0 * kPi * static_cast<double>(n % 60) / 60.0);
            break;
        case SimPattern::Ramp:
            value = -20.0 + 1.5 * static_cast<double>(n % 100);
            break;
        case SimPattern::Steps:
            value = 20.0 + 25.0 * static_cast<double>((n / 10) % 4);
            break;
    }
    MeterFrame frame;
    const long long tenths = std::llround(value * 10.0);
    frame.nRawReading = static_cast<int>(std::min<long long>(std::llabs(tenths), 65535));
    frame.nEmissivity = 95;
    // Mostly "EMS"; a short spell of "AVG" every 50 frames.
    frame.nModeCode = (n % 50 >= 40 && n % 50 < 44) ? 4 : 0;
    std::uint8_t status = 0;
    if (tenths < 0) status |= 0x01;
    if (settings.celsius) status |= 0x04;
    if ((n / 30) % 2 == 1) status |= 0x10;  // lock toggles every 30 frames
    if (settings.logEvery > 0 && (n + 1) % settings.logEvery == 0) {
        frame.nModeCode = 8;  // "LOG"
        status |= 0x40;
        if (((n + 1) / settings.logEvery) % 2 == 1) status |= 0x20;
    }
    frame.byStatus = status;
    frame.bNegative = (status & 0x01) != 0;
    frame.bCelsius = (status & 0x04) != 0;
    frame.bLocked = (status & 0x10) != 0;
    frame.bLogHasValue = (status & 0x20) != 0;
    frame.bLogRecord = (status & 0x40) != 0;
    // The same arithmetic as the decoder: raw times the single-precision 0.1.
    const float reading = static_cast<float>(frame.nRawReading * static_cast<double>(0.1f));
    frame.fReading = frame.bNegative ? -reading : reading;
    return frame;
}

double FramePeriodSeconds(double rateHz) {
    constexpr double kLineFrameSeconds = 10.0 * 10.0 / 2400.0;
    const double period = rateHz > 0.0 ? 1.0 / rateHz : kLineFrameSeconds;
    return std::max(period, kLineFrameSeconds);
}

std::string RecordJournalPath(const std::string& outPath) {
    return outPath.empty() ? std::string("mivora-record.journal") : outPath + ".journal";
}

MeterState RecoveredMeterState(const MeasurementRecord& record) {
    MeterState state;
    // The untouched starting extremes mean no reading with a value was restored.
    if (record.m_fMax < record.m_fMin) return state;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(record.m_fMax));
    state.m_strMaxText = text;
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(record.m_fMin));
    state.m_strMinText = text;
    state.m_fDisplayMax = record.m_fMax;
    state.m_fDisplayMin = record.m_fMin;
    return state;
}

}  // namespace mivora::cli
