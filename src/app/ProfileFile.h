#pragma once
// A private-profile ("INI") file: [Section] and key=value lines, case-insensitive
// look-up, writes that replace a key's line or append the section.
#include <string>
#include <vector>

namespace mivora {

class ProfileFile {
  public:
    // A missing or unreadable file gives an empty profile.
    static ProfileFile Load(const std::string& path);
    static ProfileFile Parse(const std::string& text);

    int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) const;
    void SetString(const std::string& section, const std::string& key, const std::string& value);
    void SetInt(const std::string& section, const std::string& key, int value);

    // Every line followed by the file's own line end ("\r\n" for a new file on
    // Windows, "\n" elsewhere).
    std::string Text() const;
    // Creates the folder when needed; false with `error` on failure.
    bool Save(const std::string& path, std::string& error) const;

  private:
    std::vector<std::string> m_lines;  // as read, without line ends
    std::string m_eol;                 // line end of the file read, kept when writing
};

}  // namespace mivora
