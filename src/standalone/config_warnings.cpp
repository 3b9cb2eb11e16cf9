#include "standalone/config_warnings.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <set>

#include "common/cp1252_case.h"
#include "common/file_io.h"
#include "common/text_codec.h"
#include "definition/general_values.h"
#include "definition/yes_no_keys.h"

namespace norvik::standalone {
namespace {

// The keys each section is read for; an empty set takes any key ([Auskunft] names lookups).
const std::map<std::string, std::set<std::string>>& KnownKeys() {
    static const std::map<std::string, std::set<std::string>> known = {
        {"datenbank", {"url"}},
        {"sitzung", {"benutzer"}},
        {"ordner",
         {"installroot", "commonappdatafolder", "commonuserdatafolder", "userdatafolder"}},
        {"auskunft", {}},
    };
    return known;
}

// The number of single-character edits between two texts, to name the key a typo meant.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::vector<std::string> DefinitionWarnings(const std::string& path) {
    std::string text;
    try {
        bool utf8 = false;
        text = Cp1252ToUtf8(AsCp1252File(ReadFileBytes(path, 16 << 20), utf8));
    } catch (const std::exception&) {
        return {};  // the reader names a file it cannot read
    }
    std::vector<std::string> warnings;
    bool general = false;
    int number = 0;
    ForEachLine(text, [&](std::string_view raw) {
        ++number;
        const std::string line(TrimWhite(raw));
        if (line.empty() || line[0] == ';') return;
        if (line[0] == '[') {
            general = LowerCase(line.substr(1, line.find(']') - 1)) == "allgemein";
            return;
        }
        const size_t eq = line.find('=');
        if (!general || eq == std::string::npos) return;
        const std::string key(TrimWhite(std::string_view(line).substr(0, eq)));
        std::string value(TrimWhite(std::string_view(line).substr(eq + 1)));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        const std::string where = fmt::format("{}, Zeile {}", path, number);
        const std::string lower = LowerCase(key);
        bool known = lower == "schnittstelle";
        std::string nearest;
        size_t distance = 3;
        for (const GeneralValue& g : GeneralValues()) {
            const std::string name = LowerCase(std::string(g.key));
            known = known || name == lower;
            if (const size_t d = EditDistance(name, lower); d < distance)
                distance = d, nearest = g.key;
        }
        if (!known) {
            warnings.push_back(fmt::format(
                "Warnung: {}: unbekannter Schlüssel {} in [Allgemein]; er gilt nicht{}.", where,
                key, nearest.empty() ? "" : " (gemeint: " + nearest + "?)"));
            return;
        }
        for (const YesNoKey& yesNo : YesNoKeys()) {
            if (lower != yesNo.key || !IsUnclearYesNo(yesNo, value)) continue;
            warnings.push_back(fmt::format("Warnung: {}: {}={} ist weder {}; gelesen als {}.",
                                           where, key, value, yesNo.shown,
                                           yesNo.otherIsYes ? "ja" : "nein"));
        }
    });
    return warnings;
}

std::vector<std::string> ConfigWarnings(const HostConfig& config) {
    const std::string file = HostConfigFile(config.home);
    std::string bytes;
    try {
        bytes = ReadFileBytes(file, 1 << 20);
    } catch (const std::exception&) {
        return {};  // no configuration: the defaults hold, as documented
    }
    std::vector<std::string> warnings;
    const std::map<std::string, std::set<std::string>>::const_iterator none = KnownKeys().end();
    auto section = none;
    std::string sectionName;
    int number = 0;
    ForEachLine(bytes, [&](std::string_view raw) {
        ++number;
        const std::string line(TrimWhite(raw));
        if (line.empty() || line[0] == ';' || line[0] == '#') return;
        const std::string where = fmt::format("{}, Zeile {}", file, number);
        if (line[0] == '[') {
            sectionName = line;
            section = KnownKeys().find(LowerCase(line.substr(1, line.find(']') - 1)));
            if (section == none)
                warnings.push_back(fmt::format(
                    "Warnung: {}: unbekannter Abschnitt {}; gelesen werden [Datenbank], "
                    "[Sitzung], [Ordner] und [Auskunft]. Seine Einträge gelten nicht{}.",
                    where, line,
                    config.defaultDatabase ? "; die Datenbank ist " + config.databaseUrl : ""));
            return;
        }
        const size_t eq = line.find('=');
        if (section == none || section->second.empty() || eq == std::string::npos) return;
        const std::string key(TrimWhite(std::string_view(line).substr(0, eq)));
        if (section->second.count(LowerCase(key)) == 0)
            warnings.push_back(
                fmt::format("Warnung: {}: unbekannter Schlüssel {} in {}; er gilt nicht.", where,
                            key, sectionName));
    });
    return warnings;
}

}  // namespace norvik::standalone
