#include "record/DataFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "record/TextListing.h"

namespace mivora {

namespace stdfs = std::filesystem;

// ---------------------------------------------------------------------------
// Byte layout
// ---------------------------------------------------------------------------

namespace {

void AppendU8(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
}

void AppendU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    AppendU8(out, v);
    AppendU8(out, v >> 8);
}

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    AppendU16(out, v & 0xFFFFu);
    AppendU16(out, v >> 16);
}

void AppendFloat(std::vector<std::uint8_t>& out, float f) {
    static_assert(sizeof(float) == 4, "IEEE single precision expected");
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    AppendU32(out, bits);
}

// Reads the layout from a byte range. Every read checks what is left first, so
// no length taken from the file is trusted before it has been compared with it.
class Reader {
  public:
    Reader(const std::uint8_t* p, std::size_t n) : m_p(p), m_n(n) {}

    std::size_t Left() const { return m_n - m_pos; }

    bool U8(std::uint32_t& v) {
        if (Left() < 1) return false;
        v = m_p[m_pos++];
        return true;
    }
    bool U16(std::uint32_t& v) {
        if (Left() < 2) return false;
        v = static_cast<std::uint32_t>(m_p[m_pos]) |
            (static_cast<std::uint32_t>(m_p[m_pos + 1]) << 8);
        m_pos += 2;
        return true;
    }
    bool U32(std::uint32_t& v) {
        std::uint32_t lo = 0, hi = 0;
        if (Left() < 4) return false;
        U16(lo);
        U16(hi);
        v = lo | (hi << 16);
        return true;
    }
    bool U64(std::uint64_t& v) {
        std::uint32_t lo = 0, hi = 0;
        if (Left() < 8) return false;
        U32(lo);
        U32(hi);
        v = static_cast<std::uint64_t>(lo) | (static_cast<std::uint64_t>(hi) << 32);
        return true;
    }
    bool Float(float& f) {
        std::uint32_t bits = 0;
        if (!U32(bits)) return false;
        std::memcpy(&f, &bits, sizeof f);
        return true;
    }
    const std::uint8_t* Take(std::size_t n) {
        const std::uint8_t* p = m_p + m_pos;
        m_pos += n;
        return p;
    }

  private:
    const std::uint8_t* m_p;
    std::size_t m_n;
    std::size_t m_pos = 0;
};

enum class StringStatus { Ok, Truncated, TooLong };

// One length prefix: 1 byte below 0xFF; 0xFF + 16 bits below 0xFFFF; 0xFFFF +
// 32 bits below 0xFFFFFFFF; else 64 bits. `wideMark` reports 0xFF 0xFFFE,
// which is only a mark where `allowMark` is set (the first prefix of a string).
bool ReadLength(Reader& r, bool allowMark, std::uint64_t& length, bool& wideMark) {
    wideMark = false;
    std::uint32_t v = 0;
    if (!r.U8(v)) return false;
    if (v < 0xFFu) {
        length = v;
        return true;
    }
    if (!r.U16(v)) return false;
    if (v == 0xFFFEu && allowMark) {
        wideMark = true;
        return true;
    }
    if (v < 0xFFFFu) {
        length = v;
        return true;
    }
    if (!r.U32(v)) return false;
    if (v < 0xFFFFFFFFu) {
        length = v;
        return true;
    }
    return r.U64(length);
}

// A 16-bit character string becomes single-byte text: ASCII is kept, anything
// else (a surrogate pair counting once) becomes '?'.
std::string NarrowUtf16(const std::uint8_t* p, std::size_t nChars) {
    std::string s;
    s.reserve(nChars);
    for (std::size_t i = 0; i < nChars; ++i) {
        const unsigned c =
            static_cast<unsigned>(p[2 * i]) | (static_cast<unsigned>(p[2 * i + 1]) << 8);
        if (c < 0x80u) {
            s.push_back(static_cast<char>(c));
        } else if (c >= 0xD800u && c < 0xDC00u && i + 1 < nChars) {
            const unsigned next =
                static_cast<unsigned>(p[2 * i + 2]) | (static_cast<unsigned>(p[2 * i + 3]) << 8);
            if (next >= 0xDC00u && next < 0xE000u) ++i;
            s.push_back('?');
        } else {
            s.push_back('?');
        }
    }
    return s;
}

StringStatus ReadArchiveString(Reader& r, std::string& out, std::uint64_t& claimed) {
    std::uint64_t length = 0;
    bool wide = false;
    if (!ReadLength(r, true, length, wide)) return StringStatus::Truncated;
    bool ignored = false;
    if (wide && !ReadLength(r, false, length, ignored)) return StringStatus::Truncated;
    claimed = length;
    const std::uint64_t charSize = wide ? 2 : 1;
    if (length > r.Left() / charSize) return StringStatus::TooLong;
    const auto n = static_cast<std::size_t>(length);
    const std::uint8_t* p = r.Take(n * charSize);
    if (wide) {
        out = NarrowUtf16(p, n);
    } else {
        out.assign(reinterpret_cast<const char*>(p), n);
    }
    return StringStatus::Ok;
}

std::string ReadingField(const char* what, int index) {
    return std::string(what) + " of reading " + std::to_string(index + 1);
}

bool StringError(StringStatus status, std::uint64_t claimed, std::size_t left,
                 const std::string& field, std::string& error) {
    if (status == StringStatus::Truncated) {
        error = "the file is truncated (in the length of the " + field + ")";
    } else {
        error = "the file is truncated (the " + field + " claims " + std::to_string(claimed) +
                " characters, only " + std::to_string(left) + " bytes are left)";
    }
    return false;
}

}  // namespace

void AppendArchiveString(std::vector<std::uint8_t>& out, const std::string& text) {
    const std::size_t n = text.size();
    if (n < 0xFFu) {
        AppendU8(out, static_cast<std::uint32_t>(n));
    } else if (n < 0xFFFEu) {
        AppendU8(out, 0xFFu);
        AppendU16(out, static_cast<std::uint32_t>(n));
    } else {
        AppendU8(out, 0xFFu);
        AppendU16(out, 0xFFFFu);
        if (static_cast<std::uint64_t>(n) < 0xFFFFFFFFull) {
            AppendU32(out, static_cast<std::uint32_t>(n));
        } else {
            AppendU32(out, 0xFFFFFFFFu);
            AppendU32(out, static_cast<std::uint32_t>(static_cast<std::uint64_t>(n) & 0xFFFFFFFFu));
            AppendU32(out, static_cast<std::uint32_t>(static_cast<std::uint64_t>(n) >> 32));
        }
    }
    out.insert(out.end(), text.begin(), text.end());
}

std::vector<std::uint8_t> EncodeDataFile(const MeasurementRecord& record, const MeterState& state) {
    const int count = std::clamp(
        record.m_nTotalCount, 0,
        static_cast<int>(
            std::min({record.m_fValue.size(), record.m_strUnit.size(), record.m_strTime.size()})));
    const auto n = static_cast<std::size_t>(count);
    std::vector<std::uint8_t> out;
    out.reserve(4 + n * (4 + 2 + 18) + 32);
    AppendU32(out, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < n; ++i) AppendFloat(out, record.m_fValue[i]);
    for (std::size_t i = 0; i < n; ++i) AppendArchiveString(out, record.m_strUnit[i]);
    for (std::size_t i = 0; i < n; ++i) AppendArchiveString(out, record.m_strTime[i]);
    AppendArchiveString(out, state.m_strMaxText);
    AppendArchiveString(out, state.m_strMinText);
    AppendFloat(out, state.m_fDisplayMax);
    AppendFloat(out, state.m_fDisplayMin);
    return out;
}

bool DecodeDataFile(const std::uint8_t* pBytes, std::size_t nCount, DataFileContents& out,
                    std::string& error) {
    if (pBytes == nullptr) nCount = 0;
    Reader r(pBytes, nCount);
    out = DataFileContents{};

    std::uint32_t rawCount = 0;
    if (!r.U32(rawCount)) {
        error =
            nCount == 0 ? "the file is empty" : "the file is truncated (in the count of readings)";
        return false;
    }
    const auto count = static_cast<std::int32_t>(rawCount);
    if (count < 0) {
        error = "the count of readings is negative (" + std::to_string(count) + ")";
        return false;
    }
    if (count > kMaxCount) {
        error = "the count of readings (" + std::to_string(count) + ") is more than " +
                std::to_string(kMaxCount);
        return false;
    }
    const auto n = static_cast<std::size_t>(count);
    out.count = count;
    out.values.resize(n);
    out.units.resize(n);
    out.times.resize(n);

    for (std::size_t i = 0; i < n; ++i) {
        if (!r.Float(out.values[i])) {
            error = "the file is truncated (in the value of reading " + std::to_string(i + 1) + ")";
            return false;
        }
    }
    std::uint64_t claimed = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const StringStatus st = ReadArchiveString(r, out.units[i], claimed);
        if (st != StringStatus::Ok)
            return StringError(st, claimed, r.Left(),
                               ReadingField("unit text", static_cast<int>(i)), error);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const StringStatus st = ReadArchiveString(r, out.times[i], claimed);
        if (st != StringStatus::Ok)
            return StringError(st, claimed, r.Left(),
                               ReadingField("time text", static_cast<int>(i)), error);
    }
    StringStatus st = ReadArchiveString(r, out.maxText, claimed);
    if (st != StringStatus::Ok) return StringError(st, claimed, r.Left(), "MAX text", error);
    st = ReadArchiveString(r, out.minText, claimed);
    if (st != StringStatus::Ok) return StringError(st, claimed, r.Left(), "MIN text", error);
    if (!r.Float(out.displayMax)) {
        error = "the file is truncated (in the MAX value)";
        return false;
    }
    if (!r.Float(out.displayMin)) {
        error = "the file is truncated (in the MIN value)";
        return false;
    }
    // Nothing follows the MIN value in a data file; extra bytes mean it is not one
    // of ours or was damaged, so it is not taken as valid.
    if (r.Left() != 0) {
        error = "the file has " + std::to_string(r.Left()) +
                " unexpected bytes after the end of the data";
        return false;
    }
    return true;
}

void ApplyDataFile(const DataFileContents& contents, MeasurementRecord& record, MeterState& state) {
    const std::size_t n = std::min<std::size_t>(
        {static_cast<std::size_t>(std::max(contents.count, 0)), contents.values.size(),
         contents.units.size(), contents.times.size(), record.m_fScreenValue.size(),
         record.m_strScreenUnit.size(), record.m_strScreenTime.size()});
    record.m_bReloaded = 1;
    for (std::size_t i = 0; i < n; ++i) {
        record.m_fScreenValue[i] = contents.values[i];
        record.m_strScreenUnit[i] = contents.units[i];
        record.m_strScreenTime[i] = contents.times[i];
    }
    record.m_nScreenCount = static_cast<int>(n);
    // The current slots now belong to the loaded file; nothing is left to commit.
    record.m_bSamplePending = false;
    state.m_strMaxText = contents.maxText;
    state.m_strMinText = contents.minText;
    state.m_fDisplayMax = contents.displayMax;
    state.m_fDisplayMin = contents.displayMin;
}

// ---------------------------------------------------------------------------
// Real files
// ---------------------------------------------------------------------------

namespace {

std::string ErrnoText(int err, const char* fallback) {
    if (err == 0) return fallback;
    return std::strerror(err);
}

constexpr std::size_t kMaxReadBytes = std::size_t{64} << 20;

class RealFs final : public IFileSystem {
  public:
    bool ReadAll(const std::string& path, std::vector<std::uint8_t>& out,
                 std::string& error) override {
        std::error_code ec;
        const stdfs::file_status st = stdfs::status(path, ec);
        if (ec) {
            error = "cannot be opened: " + ec.message();
            return false;
        }
        if (stdfs::is_directory(st)) {
            error = "cannot be opened: it is a folder";
            return false;
        }
        errno = 0;
        std::ifstream in(path, std::ios::binary | std::ios::in);
        if (!in) {
            error = "cannot be opened: " + ErrnoText(errno, "open failed");
            return false;
        }
        out.clear();
        char buf[65536];
        while (in) {
            in.read(buf, sizeof buf);
            const std::streamsize got = in.gcount();
            if (got > 0) out.insert(out.end(), buf, buf + got);
            // A device such as /dev/zero never ends; no file of ours comes near this.
            if (out.size() > kMaxReadBytes) {
                out.clear();
                error = "cannot be read: it is larger than " + std::to_string(kMaxReadBytes >> 20) +
                        " MiB";
                return false;
            }
        }
        if (in.bad()) {
            error = "cannot be read: " + ErrnoText(errno, "read error");
            return false;
        }
        return true;
    }

    bool WriteAll(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& files,
                  std::string& error) override {
        std::vector<stdfs::path> temps;
        auto removeTemps = [&temps] {
            for (const auto& t : temps) {
                std::error_code ignored;
                stdfs::remove(t, ignored);
            }
        };
        for (const auto& [target, bytes] : files) {
            stdfs::path temp;
            if (!WriteTemp(target, bytes, temp, error)) {
                removeTemps();
                return false;
            }
            temps.push_back(temp);
        }
        // A folder (or anything not a plain file) in a target's place would make its
        // rename fail after the others were done: check them all first.
        for (const auto& file : files) {
            std::error_code ec;
            const stdfs::file_status st = stdfs::status(file.first, ec);
            if (stdfs::exists(st) && !stdfs::is_regular_file(st)) {
                error =
                    file.first + ": cannot be written: something other than a file is in its place";
                removeTemps();
                return false;
            }
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            std::error_code ec;
            stdfs::rename(temps[i], files[i].first, ec);
            if (ec) {
                error = files[i].first + ": cannot be written: " + ec.message();
                temps.erase(temps.begin(), temps.begin() + static_cast<std::ptrdiff_t>(i));
                removeTemps();
                return false;
            }
        }
        return true;
    }

  private:
    static bool WriteTemp(const std::string& target, const std::vector<std::uint8_t>& bytes,
                          stdfs::path& temp, std::string& error) {
        const stdfs::path targetPath(target);
        if (!targetPath.has_filename()) {
            error = target + ": cannot be written: no file name";
            return false;
        }
        std::error_code ec;
        const stdfs::path folder = targetPath.parent_path();
        static std::mt19937_64 rng{std::random_device{}()};
        for (int attempt = 0;; ++attempt) {
            // Shortened so that a long target name still leaves room for the suffix.
            const stdfs::path name = "." + targetPath.filename().string().substr(0, 100) + "." +
                                     std::to_string(rng() % 1000000000u) + ".tmp";
            temp = folder.empty() ? name : folder / name;
            if (!stdfs::exists(temp, ec)) break;
            if (attempt > 100) {
                error = target + ": cannot be written: no free temporary name";
                return false;
            }
        }
        errno = 0;
        std::ofstream out(temp, std::ios::binary | std::ios::out | std::ios::trunc);
        if (!out) {
            error = target + ": cannot be created: " + ErrnoText(errno, "open failed");
            return false;
        }
        if (!bytes.empty())
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        out.flush();
        const bool written = static_cast<bool>(out);
        const int err = errno;
        out.close();
        if (!written || out.fail()) {
            error = target + ": cannot be written: " + ErrnoText(err, "write error");
            stdfs::remove(temp, ec);
            return false;
        }
        return true;
    }
};

}  // namespace

IFileSystem& RealFileSystem() {
    static RealFs instance;
    return instance;
}

// ---------------------------------------------------------------------------
// Save and load
// ---------------------------------------------------------------------------

std::string ProposedDataFileName(TimeStamp saveTime) {
    return FormatLocalTime(saveTime, "%y-%m-%d %H.%M.%S.Mvrlog");
}

FileResult SaveRecording(IFileSystem& fs, const std::string& dataPath, TimeStamp saveTime,
                         const MeasurementRecord& record, const MeterState& state) {
    FileResult result;
    result.dataPath = dataPath;
    const stdfs::path folder = stdfs::path(dataPath).parent_path();
    const std::string name = ListingFileName(saveTime);
    result.listingPath = folder.empty() ? name : (folder / name).string();
    if (stdfs::path(result.listingPath).lexically_normal() ==
        stdfs::path(dataPath).lexically_normal()) {
        result.error = dataPath + ": cannot be used: the text listing has the same name";
        return result;
    }
    const std::string listing = FormatListing(record);
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    files.emplace_back(result.listingPath,
                       std::vector<std::uint8_t>(listing.begin(), listing.end()));
    files.emplace_back(dataPath, EncodeDataFile(record, state));
    result.ok = fs.WriteAll(files, result.error);
    return result;
}

FileResult SaveDataFileOnly(IFileSystem& fs, const std::string& dataPath,
                            const MeasurementRecord& record, const MeterState& state) {
    FileResult result;
    result.dataPath = dataPath;
    result.ok = fs.WriteAll({{dataPath, EncodeDataFile(record, state)}}, result.error);
    return result;
}

FileResult LoadDataFile(IFileSystem& fs, const std::string& path, DataFileContents& out) {
    FileResult result;
    result.dataPath = path;
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!fs.ReadAll(path, bytes, reason) ||
        !DecodeDataFile(bytes.data(), bytes.size(), out, reason)) {
        result.error = path + ": " + reason;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace mivora
