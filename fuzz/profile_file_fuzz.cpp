// Parses arbitrary profile files and looks up every key they hold, and a few they do not.
// Input: the bytes of the profile file.
//
// Holds for every input: each key=value line inside a section is found, and the first of
// duplicates wins (section and key compared without regard to case); the value comes back
// whole, trimmed and unquoted; FindRaw differs from Find only by the enclosing quotes; Read
// gives the value or the default; reading the same bytes from a file gives the same values.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/profile_file.h"
#include "common/text_codec.h"
#include "fuzz_session.h"

namespace {

namespace nf = norvik::fuzz;
using norvik::ProfileFile;

// Lookups per input, so that a file of many thousand keys stays a fast input.
constexpr size_t kMaxLookups = 64;
constexpr std::string_view kDefault =
    "\x01"
    "default";

// One key=value line as the file holds it, section and key decoded.
struct Line {
    std::string section;
    std::string key;
    std::string_view value;  // trimmed, quotes kept
};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The first line of each section and key, in the order of the file.
std::vector<Line> KeyLines(std::string_view bytes, bool utf8) {
    auto decode = [utf8](std::string_view b) {
        return utf8 ? std::string(b) : norvik::Cp1252ToUtf8(b);
    };
    std::vector<Line> lines;
    std::map<std::pair<std::string, std::string>, bool> seen;
    std::optional<std::string> section;
    norvik::ForEachLine(bytes, [&](std::string_view line) {
        line = Trim(line);
        if (line.empty() || line[0] == ';') return;
        if (line[0] == '[') {
            line.remove_prefix(1);
            section = decode(Trim(line.substr(0, line.find(']'))));
            return;
        }
        const size_t eq = line.find('=');
        if (!section || eq == std::string_view::npos) return;
        Line l{*section, decode(Trim(line.substr(0, eq))), Trim(line.substr(eq + 1))};
        const auto id = std::make_pair(norvik::LowerCase(l.section), norvik::LowerCase(l.key));
        if (seen.emplace(id, true).second) lines.push_back(std::move(l));
    });
    return lines;
}

bool Quoted(std::string_view v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

std::string Ascii(std::string s, bool upper) {
    for (char& c : s) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return s;
}

void Check(const ProfileFile& profile, std::string_view bytes, bool utf8) {
    const std::vector<Line> lines = KeyLines(bytes, utf8);
    size_t lookups = 0;
    for (const Line& line : lines) {
        if (++lookups > kMaxLookups) break;
        const std::string where = "[" + line.section + "] " + line.key;
        const std::optional<std::string> value = profile.Find(line.section, line.key);
        if (!value) nf::Fail("key not found: " + where);
        if (value->find_first_of("\r\n") != std::string::npos)
            nf::Fail("line end in value of " + where);
        const std::string_view inner =
            Quoted(line.value) ? line.value.substr(1, line.value.size() - 2) : line.value;
        const std::string expected = utf8 ? std::string(inner) : norvik::Cp1252ToUtf8(inner);
        if (*value != expected) nf::Fail("value of " + where + " is \"" + *value + "\"");

        const std::optional<std::string> raw = profile.FindRaw(line.section, line.key);
        if (!raw) nf::Fail("FindRaw misses " + where);
        if (*raw != *value && !(raw->size() == value->size() + 2 && Quoted(*raw) &&
                                raw->compare(1, value->size(), *value) == 0))
            nf::Fail("FindRaw of " + where + " is \"" + *raw + "\"");
        if (profile.Read(line.section, line.key, kDefault) != *value)
            nf::Fail("Read differs for " + where);

        const auto other = profile.Find(Ascii(line.section, true), Ascii(line.key, false));
        if (other != value) nf::Fail("letter case changes the value of " + where);
    }
    // A key that no line can hold: a line's key never has a line end.
    if (profile.Find("Allgemein", "a\nb") || profile.Read("x\r", "y", kDefault) != kDefault)
        nf::Fail("a key with a line end was found");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ProfileFile cp1252 = ProfileFile::Parse(bytes);
    Check(cp1252, bytes, false);
    Check(ProfileFile::Parse(bytes, true), bytes, true);

    // The file path must give what the bytes give (the input is far below kMaxBytes).
    const auto file = nf::ScratchFolder() / "fuzz.ini";
    nf::WriteFile(file, bytes);
    const ProfileFile loaded = ProfileFile::Load(file.string());
    const std::vector<Line> lines = KeyLines(bytes, false);
    for (size_t i = 0; i < lines.size() && i < kMaxLookups; ++i) {
        if (loaded.Find(lines[i].section, lines[i].key) !=
            cp1252.Find(lines[i].section, lines[i].key))
            nf::Fail("reading the file differs from parsing its bytes");
    }
    // Each call reads the file again; one is enough.
    if (!lines.empty() &&
        norvik::ReadProfileString(file.string(), lines[0].section, lines[0].key, kDefault) !=
            cp1252.Read(lines[0].section, lines[0].key, kDefault))
        nf::Fail("ReadProfileString differs from parsing the bytes");
    if (norvik::ReadProfileString((nf::ScratchFolder() / "missing.ini").string(), "a", "b",
                                  kDefault) != kDefault)
        nf::Fail("a missing file gave a value");
    return 0;
}
