#include "check/medium_coverage.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <set>

#include "common/cp1252_case.h"
#include "medium/medium_names.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

// The first part of a URL ("sub" of "sub/daten.txt"), letter case folded.
std::string FirstPart(const std::string& url) {
    return LowerCase(url.substr(0, url.find_first_of("/\\")));
}

}  // namespace

void ReportUncoveredLines(const FileCoverage& file, FindingSink& sink) {
    if (!file.known || file.lines == 0) return;
    std::vector<std::pair<uint64_t, uint64_t>> ranges = file.ranges;
    std::sort(ranges.begin(), ranges.end());
    if (ranges.empty()) return;
    // Lines before the first range are the file's header lines, which the ranges skip on purpose.
    uint64_t next = ranges.front().first;  // the first line not yet covered
    auto report = [&](uint64_t from, uint64_t to) {
        sink.Report("G409", file.url, from, 0,
                    from == to ? fmt::format("Zeile {} beschreibt keine Tabelle; ein Import lässt "
                                             "sie aus.",
                                             GroupedCount(from))
                               : fmt::format("Zeilen {} bis {} beschreibt keine Tabelle; ein "
                                             "Import lässt sie aus.",
                                             GroupedCount(from), GroupedCount(to)));
    };
    for (const auto& [from, to] : ranges) {
        if (next > file.lines) return;
        if (from > next) report(next, std::min(from - 1, file.lines));
        if (to == std::numeric_limits<uint64_t>::max()) return;
        next = std::max(next, to + 1);
    }
    if (next <= file.lines) report(next, file.lines);
}

void ReportUndescribedFiles(const fs::path& folder, const IndexModel& model, FindingSink& sink) {
    std::set<std::string> named = {LowerCase(kIndexFileName), LowerCase(kGdpduDtdName)};
    for (const IndexTable& table : model.tables) named.insert(FirstPart(table.url));
    // A DTD the DOCTYPE names has findings of its own.
    if (!model.doctype.empty()) named.insert(FirstPart(model.doctype));
    // So do the files of extensions: named, not read.
    for (const std::string& url : model.extensionUrls) named.insert(FirstPart(url));
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        entries.push_back(entry);
    std::sort(entries.begin(), entries.end());
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (named.contains(LowerCase(name))) continue;
        const bool isFolder = entry.is_directory(ec) && !entry.is_symlink(ec);
        sink.Report(
            "G206", name, 0, 0,
            fmt::format("Index.xml beschreibt {} „{}“ nicht; ein Import liest {} nicht.",
                        isFolder ? "den Ordner" : "die Datei", name, isFolder ? "ihn" : "sie"));
    }
}

}  // namespace norvik
