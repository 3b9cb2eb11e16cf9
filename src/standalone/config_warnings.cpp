#include "standalone/config_warnings.h"

#include <fmt/format.h>

#include <map>
#include <set>

#include "common/file_io.h"
#include "common/text_codec.h"

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

}  // namespace

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
