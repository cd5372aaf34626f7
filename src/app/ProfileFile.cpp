#include "app/ProfileFile.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <system_error>

#include "record/DataFile.h"

namespace mivora {

namespace {

#ifdef _WIN32
constexpr const char* kNewFileEol = "\r\n";
#else
constexpr const char* kNewFileEol = "\n";
#endif

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// A line break inside a name or value would split it into lines of its own.
std::string OneLine(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c == '\r' || c == '\n') c = ' ';
    return r;
}

// The section name of a "[Name]" line (blanks around it ignored), if it is one.
std::optional<std::string> SectionName(const std::string& line) {
    std::string t = Trim(line);
    if (t.compare(0, 3, "\xEF\xBB\xBF") == 0) t = Trim(t.substr(3));  // UTF-8 byte order mark
    if (t.empty() || t[0] != '[') return std::nullopt;
    const std::size_t close = t.find(']');
    return Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// Key and value of a "key=value" line, both trimmed; comments and other lines give nothing.
bool KeyValue(const std::string& line, std::string& key, std::string& value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    // A value in matching quotes is read without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return true;
}

struct Place {
    std::size_t sectionLine = std::string::npos;  // the "[Section]" line
    std::size_t lastEntry = std::string::npos;    // last non-blank line of the section
    std::size_t keyLine = std::string::npos;      // the key's line
    std::string value;
};

// The first section of that name, and in it the first line of that key.
Place Find(const std::vector<std::string>& lines, const std::string& section,
           const std::string& key) {
    Place p;
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionName(lines[i])) {
            if (inside) break;
            if (SameName(*name, section)) {
                inside = true;
                p.sectionLine = i;
                p.lastEntry = i;
            }
            continue;
        }
        if (!inside) continue;
        if (!Trim(lines[i]).empty()) p.lastEntry = i;
        std::string k, v;
        if (p.keyLine == std::string::npos && KeyValue(lines[i], k, v) && SameName(k, key)) {
            p.keyLine = i;
            p.value = v;
        }
    }
    return p;
}

}  // namespace

ProfileFile ProfileFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::in);
    if (!in) return ProfileFile{};
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

ProfileFile ProfileFile::Parse(const std::string& text) {
    ProfileFile p;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        const bool last = nl == std::string::npos;
        if (last) nl = text.size();
        std::size_t end = nl;
        const bool cr = end > start && text[end - 1] == '\r';
        if (cr) --end;
        if (p.m_eol.empty() && !last) p.m_eol = cr ? "\r\n" : "\n";
        p.m_lines.push_back(text.substr(start, end - start));
        start = nl + 1;
    }
    return p;
}

int ProfileFile::GetInt(const std::string& section, const std::string& key,
                        int defaultValue) const {
    const Place p = Find(m_lines, section, key);
    if (p.keyLine == std::string::npos || p.value.empty()) return defaultValue;
    // Optional sign and decimal digits up to the first other character, as the
    // platform's profile reader; no digits read as 0. Out-of-range values saturate.
    std::size_t i = 0;
    bool negative = false;
    if (p.value[i] == '+' || p.value[i] == '-') negative = p.value[i++] == '-';
    std::int64_t v = 0;
    for (; i < p.value.size() && p.value[i] >= '0' && p.value[i] <= '9'; ++i) {
        v = v * 10 + (p.value[i] - '0');
        if (v > static_cast<std::int64_t>(INT_MAX) + 1) v = static_cast<std::int64_t>(INT_MAX) + 1;
    }
    if (negative) v = -v;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    return static_cast<int>(v);
}

std::string ProfileFile::GetString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const {
    const Place p = Find(m_lines, section, key);
    return p.keyLine == std::string::npos ? defaultValue : p.value;
}

void ProfileFile::SetString(const std::string& section, const std::string& key,
                            const std::string& value) {
    const std::string s = Trim(OneLine(section));
    const std::string k = Trim(OneLine(key));
    const std::string line = k + "=" + OneLine(value);
    const Place p = Find(m_lines, s, k);
    if (p.keyLine != std::string::npos) {
        m_lines[p.keyLine] = line;
    } else if (p.sectionLine != std::string::npos) {
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(p.lastEntry + 1), line);
    } else {
        m_lines.push_back("[" + s + "]");
        m_lines.push_back(line);
    }
}

void ProfileFile::SetInt(const std::string& section, const std::string& key, int value) {
    SetString(section, key, std::to_string(value));
}

std::string ProfileFile::Text() const {
    const std::string eol = m_eol.empty() ? kNewFileEol : m_eol;
    std::string out;
    for (const auto& line : m_lines) {
        out += line;
        out += eol;
    }
    return out;
}

bool ProfileFile::Save(const std::string& path, std::string& error) const {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            error = folder.string() + ": the folder cannot be created: " + ec.message();
            return false;
        }
    }
    const std::string text = Text();
    return RealFileSystem().WriteAll({{path, std::vector<std::uint8_t>(text.begin(), text.end())}},
                                     error);
}

}  // namespace mivora
