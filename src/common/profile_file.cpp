#include "common/profile_file.h"

#include <algorithm>

#include "common/file_io.h"
#include "common/text_codec.h"

namespace norvik {
namespace {

// A value enclosed in a pair of matching quotes loses them; a lone quote stays.
bool IsQuoted(std::string_view v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

std::string IndexKey(std::string_view lowerSection, std::string_view lowerKey) {
    std::string k;
    k.reserve(lowerSection.size() + 1 + lowerKey.size());
    k.append(lowerSection).append(1, '\n').append(lowerKey);
    return k;
}

}  // namespace

ProfileFile ProfileFile::Parse(std::string_view bytes, bool utf8) {
    return Parse(bytes, utf8, nullptr);
}

ProfileFile ProfileFile::ParseSections(std::string_view bytes,
                                       const std::vector<std::string>& sections) {
    return Parse(bytes, false, &sections);
}

ProfileFile ProfileFile::Parse(std::string_view bytes, bool utf8,
                               const std::vector<std::string>* sections) {
    ProfileFile profile;
    auto decode = [utf8](std::string_view b) { return utf8 ? std::string(b) : Cp1252ToUtf8(b); };
    std::string section;
    bool inSection = false;
    ForEachLine(bytes, [&](std::string_view line) {
        line = TrimWhite(line);
        if (line.empty() || line.front() == ';') return;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            std::string_view name = line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            section = LowerCase(decode(TrimWhite(name)));
            inSection = !sections ||
                        std::find(sections->begin(), sections->end(), section) != sections->end();
            return;
        }
        const size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos) return;
        // No cut: a long value (an SQL statement of a definition) must come back whole.
        const std::string_view value = TrimWhite(line.substr(eq + 1));
        std::string key = LowerCase(decode(TrimWhite(line.substr(0, eq))));
        // The first of duplicate keys wins.
        profile.index_.try_emplace(IndexKey(section, key), profile.entries_.size());
        profile.entries_.push_back(
            {section, std::move(key),
             decode(IsQuoted(value) ? value.substr(1, value.size() - 2) : value),
             IsQuoted(value) ? value.front() : '\0'});
    });
    return profile;
}

ProfileFile ProfileFile::Load(std::string_view path, bool utf8) {
    try {
        std::string bytes = ReadFileBytes(path, kMaxBytes);
        if (!utf8 && IsUtf8File(bytes)) {
            if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
            utf8 = true;
        }
        return Parse(bytes, utf8);
    } catch (...) {
        return ProfileFile();
    }
}

const ProfileFile::Entry* ProfileFile::FindEntry(std::string_view section,
                                                 std::string_view key) const {
    const auto it = index_.find(IndexKey(LowerCase(section), LowerCase(key)));
    return it == index_.end() ? nullptr : &entries_[it->second];
}

std::optional<std::string> ProfileFile::Find(std::string_view section, std::string_view key) const {
    if (const Entry* e = FindEntry(section, key)) return e->value;
    return std::nullopt;
}

std::optional<std::string> ProfileFile::FindRaw(std::string_view section,
                                                std::string_view key) const {
    const Entry* e = FindEntry(section, key);
    if (!e) return std::nullopt;
    if (e->quote == '\0') return e->value;
    return e->quote + e->value + e->quote;
}

std::string ProfileFile::Read(std::string_view section, std::string_view key,
                              std::string_view def) const {
    if (auto v = Find(section, key)) return *v;
    return std::string(def);
}

std::string ReadProfileString(std::string_view file, std::string_view section, std::string_view key,
                              std::string_view def) {
    return ProfileFile::Load(file).Read(section, key, def);
}

}  // namespace norvik
