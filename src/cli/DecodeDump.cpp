// decode and dump: offline commands without an event loop.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "meter/MeterFrame.h"
#include "record/DataFile.h"
#include "record/TextListing.h"

namespace mivora::cli {

namespace {

const char* const kDecodeHelp =
    "Usage: mivora-cli decode HEX...\n"
    "Decodes one ten-byte meter frame and prints every field, one 'name: value' per line.\n"
    "The bytes may be separate words or one string:\n"
    "  mivora-cli decode 10 20 35 4F 5D 62 70 84 90 A4\n"
    "  mivora-cli decode \"1020354F5D62708490A4\"\n"
    "A frame whose first byte is not 10 is rejected (exit status 1).\n";

const char* const kDumpHelp =
    "Usage: mivora-cli dump FILE.Mvrlog [--csv]\n"
    "Prints the text listing of a data file, as Save writes it beside the file, with the\n"
    "stored time texts. With --csv: a header 'no,value,unit,time' and one row per reading\n"
    "(the value is empty for a logged entry without a value).\n"
    "A file that cannot be read or is malformed gives exit status 1.\n";

}  // namespace

int RunDecode(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    std::string error;
    if (!ParseArgs(args, {}, {}, parsed, error)) return UsageError("decode", error);
    if (parsed.help) {
        std::fputs(kDecodeHelp, stdout);
        return kExitOk;
    }
    if (parsed.positional.empty()) return UsageError("decode", "no frame bytes given");
    std::vector<std::uint8_t> bytes;
    if (!ParseHexBytes(parsed.positional, bytes, error)) return InputError("decode", error);
    if (bytes.size() != kFrameSize) {
        return InputError("decode", "a frame is 10 bytes, " + std::to_string(bytes.size()) +
                                        (bytes.size() == 1 ? " was" : " were") + " given");
    }
    MeterFrame frame;
    if (!DecodeMeterFrame(bytes.data(), bytes.size(), frame)) {
        char msg[96];
        std::snprintf(msg, sizeof msg, "bad start byte 0x%02X: a frame starts with 0x10",
                      static_cast<unsigned>(bytes[0]));
        return InputError("decode", msg);
    }
    std::fputs(FormatFrameFields(frame).c_str(), stdout);
    if (!IsWellFormedFrame(bytes.data())) {
        std::fputs(
            "mivora-cli decode: note: the position tags are not 1..A; the meter's receive path "
            "would drop this frame\n",
            stderr);
    }
    return kExitOk;
}

int RunDump(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    std::string error;
    if (!ParseArgs(args, {}, {"csv"}, parsed, error)) return UsageError("dump", error);
    if (parsed.help) {
        std::fputs(kDumpHelp, stdout);
        return kExitOk;
    }
    if (parsed.positional.size() != 1) return UsageError("dump", "give exactly one data file");
    const std::string& path = parsed.positional[0];
    DataFileContents contents;
    const FileResult result = LoadDataFile(RealFileSystem(), path, contents);
    if (!result.ok) {
        std::string message = result.error.empty() ? "cannot be read" : result.error;
        if (message.find(path) == std::string::npos) message = path + ": " + message;
        return InputError("dump", message);
    }
    const std::string text =
        parsed.flags.count("csv") != 0
            ? FormatCsv(contents)
            : FormatListing(contents.count, contents.values, contents.units, contents.times);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitBadInput;
}

}  // namespace mivora::cli
