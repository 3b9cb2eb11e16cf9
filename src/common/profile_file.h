#pragma once
// Profile files (sections in brackets, key=value lines) read with the Windows profile semantics.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace norvik {

class ProfileFile {
  public:
    // Profiles larger than this are read only up to it. Values are read whole, however long.
    static constexpr size_t kMaxBytes = 16 * 1024 * 1024;

    // Parses Windows-1252 bytes (or UTF-8 text, for the component's own files).
    static ProfileFile Parse(std::string_view bytes, bool utf8 = false);
    // Parses only the key lines of these sections (named in lower case), so that a large section
    // of no interest costs no more than a look at each line; keys of other sections are not found.
    static ProfileFile ParseSections(std::string_view bytes,
                                     const std::vector<std::string>& sections);
    // Reads and parses a file; a missing or unreadable file gives an empty profile.
    static ProfileFile Load(std::string_view path, bool utf8 = false);

    // The value of a key (section and key compared without regard to case; the first of
    // duplicates).
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // The value of a key as it stands in the file, enclosing quotes kept.
    std::optional<std::string> FindRaw(std::string_view section, std::string_view key) const;
    // The value of a key, or the default when the section or key is missing.
    std::string Read(std::string_view section, std::string_view key, std::string_view def) const;

  private:
    struct Entry {
        std::string section;  // lower case
        std::string key;      // lower case
        std::string value;    // UTF-8, enclosing quotes removed
        char quote;           // the quote the value stood in, or 0
    };
    static ProfileFile Parse(std::string_view bytes, bool utf8,
                             const std::vector<std::string>* sections);
    const Entry* FindEntry(std::string_view section, std::string_view key) const;
    std::vector<Entry> entries_;
    // Section and key (joined by a line feed, which neither can hold) to the first such entry.
    std::unordered_map<std::string, size_t> index_;
};

// The value of a key in a profile file, or the default (never raises an error).
std::string ReadProfileString(std::string_view file, std::string_view section, std::string_view key,
                              std::string_view def);

}  // namespace norvik
