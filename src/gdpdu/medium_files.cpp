#include "gdpdu/medium_files.h"

#include <fmt/format.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "common/cp1252_case.h"
#include "gdpdu/tq_xml.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

// The URL's path components with "." and empty ones dropped and ".." applied; nullopt when it
// climbs above the folder.
std::optional<std::vector<std::string>> Components(const std::string& url) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= url.size()) {
        size_t end = url.find_first_of("/\\", start);
        if (end == std::string::npos) end = url.size();
        const std::string part = url.substr(start, end - start);
        if (part == "..") {
            if (parts.empty()) return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    return parts;
}

bool IsAbsolute(const std::string& url) {
    // "/x", "\x", "C:\x" and every "scheme:" form.
    return url.starts_with('/') || url.starts_with('\\') || url.find(':') != std::string::npos;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::optional<fs::path> FindEntry(const fs::path& folder, const std::string& name, bool& exact) {
    std::error_code ec;
    std::optional<fs::path> other;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (entry == name) {
            exact = true;
            return it->path();
        }
        if (!other && EqualsIgnoreCase(entry, name)) other = it->path();
    }
    exact = false;
    return other;
}

std::optional<fs::path> LocateDataFile(const fs::path& folder, const IndexTable& table,
                                       FindingSink& sink) {
    const auto report = [&](std::string_view code, const std::string& text) {
        sink.Report(code, table.url.empty() ? kIndexFileName : table.url, 0, table.number,
                    table.label + ": " + text);
    };
    if (table.url.empty()) {
        report("G201", "URL ist leer; die Tabelle nennt keine Datei.");
        return std::nullopt;
    }
    const std::optional<std::vector<std::string>> parts = Components(table.url);
    if (IsAbsolute(table.url) || !parts || parts->empty()) {
        report("G201", fmt::format("URL „{}“ führt aus dem Ordner des Datenträgers; erlaubt sind "
                                   "nur Pfade innerhalb des Ordners.",
                                   table.url));
        return std::nullopt;
    }
    fs::path path = folder;
    bool allExact = true;
    for (const std::string& part : *parts) {
        bool exact = false;
        const std::optional<fs::path> entry = FindEntry(path, part, exact);
        if (!entry) {
            report("G202", "Datei fehlt im Ordner des Datenträgers.");
            return std::nullopt;
        }
        allExact = allExact && exact;
        path = *entry;
    }
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        report("G202", "Unter diesem Namen liegt keine Datei, sondern ein Ordner.");
        return std::nullopt;
    }
    if (!allExact)
        report("G203", fmt::format("Datei heißt auf dem Datenträger „{}“; die Groß- und "
                                   "Kleinschreibung muss der URL gleichen.",
                                   fs::relative(path, folder, ec).generic_string()));
    return path;
}

bool CheckDtdCopy(const fs::path& folder, const fs::path& publishedDtd, FindingSink& sink) {
    bool exact = false;
    const std::optional<fs::path> copy = FindEntry(folder, kGdpduDtdName, exact);
    if (!copy || !exact) {
        sink.Report("G104", kGdpduDtdName, 0, 0,
                    copy ? fmt::format("Die DTD-Datei heißt „{}“, Index.xml nennt sie „{}“; die "
                                       "Schreibweise muss gleich sein.",
                                       copy->filename().string(), kGdpduDtdName)
                         : std::string("Die DTD-Datei fehlt im Ordner des Datenträgers; ohne sie "
                                       "lässt sich Index.xml weder prüfen noch einlesen."));
        return false;
    }
    std::error_code ec;
    if (!publishedDtd.empty() && fs::is_regular_file(publishedDtd, ec) &&
        ReadAll(*copy) != ReadAll(publishedDtd))
        sink.Report("G105", kGdpduDtdName, 0, 0,
                    "Die DTD-Datei weicht von der veröffentlichten ab; ein Datenträger muss sie "
                    "unverändert enthalten.");
    return true;
}

}  // namespace norvik
