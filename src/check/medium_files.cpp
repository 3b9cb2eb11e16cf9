#include "check/medium_files.h"

#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "check/contained_file.h"
#include "common/cp1252_case.h"
#include "medium/medium_names.h"

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

// Reads up to size bytes, fewer only at the end; -1 on an error.
ssize_t ReadFull(int fd, char* data, size_t size) {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

bool IsAbsolute(const std::string& url) {
    // "/x", "\x", "C:\x" and every "scheme:" form.
    return url.starts_with('/') || url.starts_with('\\') || url.find(':') != std::string::npos;
}

// Compared a block at a time: a copy may be any size.
bool SameBytes(ContainedFile& a, ContainedFile& b) {
    if (a.size != b.size) return false;
    constexpr size_t kBlock = 1 << 16;
    std::vector<char> blockA(kBlock), blockB(kBlock);
    for (;;) {
        const ssize_t n = ReadFull(a.handle.Get(), blockA.data(), kBlock);
        const ssize_t m = ReadFull(b.handle.Get(), blockB.data(), kBlock);
        if (n != m || n < 0) return false;
        if (n == 0) return true;
        if (std::memcmp(blockA.data(), blockB.data(), static_cast<size_t>(n)) != 0) return false;
    }
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
        // A folder on the way is listed only when it lies inside the medium.
        if (path != folder && !ResolvesInside(folder, path)) {
            report("G205", fmt::format("Ordner „{}“ führt über eine Verknüpfung aus dem Ordner des "
                                       "Datenträgers; die Datei wird nicht gelesen.",
                                       path.filename().string()));
            return std::nullopt;
        }
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
    const ContainedFile file = InspectContained(folder, path);
    if (file.refusal == FileRefusal::Special && fs::is_directory(path, ec)) {
        report("G202", "Unter diesem Namen liegt keine Datei, sondern ein Ordner.");
        return std::nullopt;
    }
    // One that cannot be opened is reported when it is read.
    if (file.refusal == FileRefusal::Outside || file.refusal == FileRefusal::Special) {
        report("G205", "Datei " + RefusalText(file) + ".");
        return std::nullopt;
    }
    if (!allExact)
        report("G203", fmt::format("Datei heißt auf dem Datenträger „{}“; die Groß- und "
                                   "Kleinschreibung muss der URL gleichen.",
                                   fs::relative(path, folder, ec).generic_string()));
    return path;
}

ContainedFile OpenReference(const fs::path& folder, const std::string& reference) {
    const std::optional<std::vector<std::string>> parts = Components(reference);
    if (IsAbsolute(reference) || !parts || parts->empty()) {
        ContainedFile refused;
        refused.refusal = FileRefusal::Outside;
        return refused;
    }
    fs::path path = folder;
    for (const std::string& part : *parts) path /= part;
    return OpenContained(folder, path);
}

bool CheckDtdCopy(const fs::path& folder, const std::string& name, const fs::path& publishedDtd,
                  FindingSink& sink) {
    bool exact = false;
    const std::optional<fs::path> copy = FindEntry(folder, name, exact);
    if (!copy || !exact) {
        sink.Report("G104", name, 0, 0,
                    copy ? fmt::format("Die DTD-Datei heißt „{}“, Index.xml nennt sie „{}“; die "
                                       "Schreibweise muss gleich sein.",
                                       copy->filename().string(), name)
                         : std::string("Die DTD-Datei fehlt im Ordner des Datenträgers; ohne sie "
                                       "lässt sich Index.xml weder prüfen noch einlesen."));
        return false;
    }
    ContainedFile file = OpenContained(folder, *copy);
    if (file.refusal != FileRefusal::None) {
        sink.Report("G108", name, 0, 0, "Die DTD-Datei " + RefusalText(file) + ".");
        return false;
    }
    if (publishedDtd.empty()) return true;
    ContainedFile published = OpenContained({}, publishedDtd);
    if (published.refusal == FileRefusal::None && !SameBytes(file, published))
        sink.Report("G105", name, 0, 0,
                    "Die DTD-Datei weicht von der veröffentlichten ab; ein Datenträger muss sie "
                    "unverändert enthalten.");
    return true;
}

}  // namespace norvik
