#include "record/Journal.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace mivora {

const char kJournalSignature[8] = {'M', 'V', 'R', 'J', 'N', 'L', '1', '\n'};

namespace {

constexpr std::size_t kMaxPayload = 1024;  // far above any real entry

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    static std::uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void PutText(std::vector<std::uint8_t>& out, const std::string& s) {
    std::size_t n = s.size() < 255 ? s.size() : 255;
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

// Decodes one payload; false when it is inconsistent.
bool ParsePayload(const std::uint8_t* p, std::size_t n, JournalEntry& e) {
    if (n < 4 + 8 + 1) return false;
    std::uint32_t bits = GetU32(p);
    std::memcpy(&e.value, &bits, 4);
    std::uint64_t t = static_cast<std::uint64_t>(GetU32(p + 4)) |
                      static_cast<std::uint64_t>(GetU32(p + 8)) << 32;
    e.time = static_cast<TimeStamp>(t);
    std::size_t pos = 12;
    std::size_t unitLen = p[pos++];
    if (pos + unitLen + 1 > n) return false;
    e.unit.assign(reinterpret_cast<const char*>(p + pos), unitLen);
    pos += unitLen;
    std::size_t textLen = p[pos++];
    if (pos + textLen != n) return false;
    e.timeText.assign(reinterpret_cast<const char*>(p + pos), textLen);
    return true;
}

std::string ErrnoText() { return std::strerror(errno); }

}  // namespace

std::vector<std::uint8_t> EncodeJournalEntry(const JournalEntry& entry) {
    std::vector<std::uint8_t> payload;
    std::uint32_t bits = 0;
    std::memcpy(&bits, &entry.value, 4);
    PutU32(payload, bits);
    auto t = static_cast<std::uint64_t>(entry.time);
    PutU32(payload, static_cast<std::uint32_t>(t));
    PutU32(payload, static_cast<std::uint32_t>(t >> 32));
    PutText(payload, entry.unit);
    PutText(payload, entry.timeText);
    std::vector<std::uint8_t> out;
    out.reserve(payload.size() + 8);
    PutU32(out, static_cast<std::uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    PutU32(out, Crc32(payload.data(), payload.size()));
    return out;
}

bool ParseJournal(const std::uint8_t* pBytes, std::size_t nCount, JournalContents& out,
                  std::string& error) {
    out = JournalContents{};
    if (nCount < sizeof kJournalSignature ||
        std::memcmp(pBytes, kJournalSignature, sizeof kJournalSignature) != 0) {
        error = "not a recovery journal (wrong signature)";
        return false;
    }
    std::size_t pos = sizeof kJournalSignature;
    while (pos + 4 <= nCount && out.entries.size() < static_cast<std::size_t>(kMaxCount)) {
        std::size_t len = GetU32(pBytes + pos);
        if (len > kMaxPayload || pos + 4 + len + 4 > nCount) break;
        const std::uint8_t* payload = pBytes + pos + 4;
        if (GetU32(payload + len) != Crc32(payload, len)) break;
        JournalEntry e;
        if (!ParsePayload(payload, len, e)) break;
        out.entries.push_back(std::move(e));
        pos += 4 + len + 4;
    }
    out.validBytes = pos;
    out.damagedBytes = nCount - pos;
    return true;
}

bool ReadJournal(const std::string& path, JournalContents& out, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": " + ErrnoText();
        return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) {
        error = path + ": read error";
        return false;
    }
    if (!ParseJournal(bytes.data(), bytes.size(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

void RestoreFromJournal(const JournalContents& contents, MeasurementRecord& record) {
    int n = static_cast<int>(contents.entries.size());
    if (n > kMaxCount) n = kMaxCount;
    for (int i = 0; i < n; ++i) {
        const JournalEntry& e = contents.entries[static_cast<std::size_t>(i)];
        record.m_fValue[i] = record.m_fScreenValue[i] = e.value;
        record.m_tTime[i] = e.time;
        record.m_strTime[i] = record.m_strScreenTime[i] = e.timeText;
        record.m_strUnit[i] = record.m_strScreenUnit[i] = e.unit;
    }
    record.m_nTotalCount = record.m_nScreenCount = n;
    record.m_bReloaded = 0;
    record.m_bSamplePending = false;
    record.m_fMax = -100.0f;
    record.m_fMin = 2000.0f;
    for (int i = 0; i < n; ++i) {
        // Extremes saw the decoded reading, not the marker; the marker is the best we have.
        float v = record.m_fValue[i];
        if (v >= kNoValueMarker) continue;
        if (v > record.m_fMax) record.m_fMax = v;
        if (v < record.m_fMin) record.m_fMin = v;
    }
}

Journal::~Journal() { Close(); }

bool Journal::Open(const std::string& path, bool durable, std::string& error) {
    Close();
    m_path = path;
    m_bDurable = durable;
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);

    JournalContents existing;
    std::string readError;
    bool haveJournal = std::filesystem::exists(p, ec) && ReadJournal(path, existing, readError);
    if (haveJournal && existing.damagedBytes > 0) {
        std::filesystem::resize_file(p, existing.validBytes, ec);
        if (ec) {
            error = path + ": cannot cut the damaged tail: " + ec.message();
            return false;
        }
    }
    m_file = std::fopen(path.c_str(), haveJournal ? "ab" : "wb");
    if (!m_file) {
        error = path + ": " + ErrnoText();
        return false;
    }
    if (!haveJournal) {
        if (std::fwrite(kJournalSignature, 1, sizeof kJournalSignature, m_file) !=
                sizeof kJournalSignature ||
            !Sync(error)) {
            if (error.empty()) error = path + ": " + ErrnoText();
            Close();
            return false;
        }
    }
    return true;
}

bool Journal::Sync(std::string& error) {
    if (std::fflush(m_file) != 0) {
        error = m_path + ": " + ErrnoText();
        return false;
    }
    if (!m_bDurable) return true;
#ifdef _WIN32
    int rc = _commit(_fileno(m_file));
#else
    int rc = fsync(fileno(m_file));
#endif
    if (rc != 0) {
        error = m_path + ": " + ErrnoText();
        return false;
    }
    return true;
}

bool Journal::Append(const JournalEntry& entry, std::string& error) {
    if (!m_file) {
        error = "the recovery journal is not open";
        return false;
    }
    std::vector<std::uint8_t> bytes = EncodeJournalEntry(entry);
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        error = m_path + ": " + ErrnoText();
        return false;
    }
    return Sync(error);
}

bool Journal::AppendReading(const MeasurementRecord& record, int index, std::string& error) {
    if (index < 0 || index >= kRecordSlots) {
        error = "reading index out of range";
        return false;
    }
    JournalEntry e;
    e.value = record.m_fValue[index];
    e.time = record.m_tTime[index];
    e.unit = record.m_strUnit[index];
    e.timeText = record.m_strTime[index];
    return Append(e, error);
}

bool Journal::Clear(std::string& error) {
    if (!m_file) return true;
    std::string path = m_path;
    bool durable = m_bDurable;
    Close();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": " + ErrnoText();
        return false;
    }
    bool ok = std::fwrite(kJournalSignature, 1, sizeof kJournalSignature, f) ==
              sizeof kJournalSignature;
    std::fclose(f);
    if (!ok) {
        error = path + ": " + ErrnoText();
        return false;
    }
    return Open(path, durable, error);
}

void Journal::Remove() {
    Close();
    if (!m_path.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
}

void Journal::Close() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

}  // namespace mivora
