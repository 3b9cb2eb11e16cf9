#include "check/medium_check.h"

#include <fmt/format.h>

#include <limits>
#include <map>
#include <optional>
#include <utility>

#include "check/contained_file.h"
#include "check/data_charset.h"
#include "check/finding_sink.h"
#include "check/index_reader.h"
#include "check/index_relations.h"
#include "check/index_validation.h"
#include "check/medium_coverage.h"
#include "check/medium_files.h"
#include "check/table_check.h"
#include "medium/medium_names.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxDtdProblems = 1000;
// Far above any real one: the published DTD has 7 KB, an Index.xml of a thousand tables 10 MB.
constexpr uint64_t kMaxDtdBytes = uint64_t{1} << 20;
constexpr uint64_t kMaxIndexBytes = uint64_t{16} << 20;

std::string TooLarge(const std::string& what, uint64_t size, uint64_t max) {
    return fmt::format("{} ist {} Bytes groß; die Prüfung liest höchstens {} Bytes.", what,
                       GroupedCount(size), GroupedCount(max));
}

// The DTD the DOCTYPE names, read from the folder; nullopt when it may not be read (reported).
std::optional<std::string> DoctypeDtd(const fs::path& folder, const std::string& doctype,
                                      FindingSink& sink) {
    // Without one, validation says what is missing.
    if (doctype.empty()) return std::string();
    ContainedFile file = OpenReference(folder, doctype);
    const std::string what = fmt::format("Die DTD „{}“ aus dem DOCTYPE", doctype);
    if (file.refusal == FileRefusal::Unreadable) return std::string();
    if (file.refusal != FileRefusal::None) {
        sink.Report("G108", kIndexFileName, 0, 0, what + " " + RefusalText(file) + ".");
        return std::nullopt;
    }
    std::optional<std::string> bytes = ReadWhole(file, kMaxDtdBytes);
    if (!bytes) sink.Report("G108", kIndexFileName, 0, 0, TooLarge(what, file.size, kMaxDtdBytes));
    return bytes;
}

// The published 2004 DTD declares Media as (Name, Command*, Table*, Command*, AcceptNoTables?),
// which a validator may refuse as not deterministic: a Command after the Name could belong to
// either list. The same sequences, said so that each element has one place.
constexpr std::string_view kMedia2004 =
    "<!ELEMENT Media (Name, Command*, Table*, Command*, AcceptNoTables?)>";
constexpr std::string_view kMedia2004Deterministic =
    "<!ELEMENT Media (Name, Command*, (Table+, Command*)?, AcceptNoTables?)>";

void ReadMediaAsMeant(std::string& dtd) {
    const size_t at = dtd.find(kMedia2004);
    if (at != std::string::npos) dtd.replace(at, kMedia2004.size(), kMedia2004Deterministic);
}

void CheckIndexAgainstDtd(const fs::path& folder, std::string_view xml, const std::string& url,
                          const IndexModel& model, bool dtdThere, FindingSink& sink) {
    if (DtdVersion(model.doctype).empty())
        sink.Report("G106", kIndexFileName, 0, 0,
                    model.doctype.empty()
                        ? std::string("Index.xml nennt keine DTD (DOCTYPE fehlt).")
                        : fmt::format("Index.xml nennt als DTD „{}“; veröffentlicht sind {} und "
                                      "{}.",
                                      model.doctype, kGdpduDtdName, kGdpduDtd2004Name));
    if (!dtdThere) return;
    std::optional<std::string> dtd = DoctypeDtd(folder, model.doctype, sink);
    if (!dtd) return;
    if (model.doctype == kGdpduDtd2004Name) ReadMediaAsMeant(*dtd);
    // The sink keeps the first and counts the rest.
    for (const IndexProblem& problem : IndexXmlProblems(xml, url, std::move(*dtd), kMaxDtdProblems))
        sink.Report("G103", kIndexFileName, static_cast<uint64_t>(problem.line), 0,
                    "Index.xml entspricht nicht der DTD: " + problem.message);
}

// Reads the tables in an order that lets foreign keys be looked up as their rows are read; those
// naming a table read later (themselves, or a cycle) keep their keys until it is.
void CheckData(const fs::path& folder, const IndexModel& model, const MediumRelations& relations,
               FindingSink& sink, std::vector<TableTotal>* totals) {
    const size_t n = model.tables.size();
    if (totals) {
        totals->assign(n, {});
        for (size_t t = 0; t < n; ++t) {
            const IndexTable& table = model.tables[t];
            TableTotal& total = (*totals)[t];
            total.name = table.name;
            total.url = table.url;
            total.decimalSymbol = DecodeForMessage(table.decimalSymbol, table.charset);
            total.groupingSymbol = DecodeForMessage(table.groupingSymbol, table.charset);
        }
    }
    std::vector<KeyHashSet> primaryKeys(n);
    std::vector<bool> read(n, false), readable(n, false);
    std::vector<std::optional<fs::path>> files(n);
    for (size_t t = 0; t < n; ++t) {
        files[t] = LocateDataFile(folder, model.tables[t], sink);
        readable[t] = files[t] && model.tables[t].dataReadable;
    }
    std::map<fs::path, FileCoverage> coverage;
    for (size_t t = 0; t < n; ++t) {
        if (!files[t]) continue;
        FileCoverage& file = coverage[*files[t]];
        const IndexTable& table = model.tables[t];
        file.url = table.url;
        file.known = file.known && readable[t];
        file.ranges.emplace_back(table.firstRecord, table.rangeEnds
                                                        ? table.lastRecord
                                                        : std::numeric_limits<uint64_t>::max());
    }
    std::vector<std::pair<size_t, ForeignKeyCheck>> deferred;  // with the table holding it
    for (size_t t : relations.order) {
        if (!readable[t]) continue;
        std::vector<ForeignKeyCheck> checks;
        for (const ForeignKeyLink& link : relations.links) {
            // Keys into a table that cannot be read are not checked: its own findings say why.
            if (link.table != t || !readable[link.target]) continue;
            ForeignKeyCheck check;
            check.columns = link.columns;
            check.target = link.target;
            check.targetLabel = model.tables[link.target].label;
            check.deferred = !read[link.target];
            if (!check.deferred) check.targetKeys = &primaryKeys[link.target];
            checks.push_back(std::move(check));
        }
        // Keys into a file that could not be read whole are not looked up.
        FileCoverage& file = coverage[*files[t]];
        readable[t] = CheckTableData(model.tables[t], folder, *files[t], checks, primaryKeys[t],
                                     sink, &file.lines, totals ? &(*totals)[t] : nullptr);
        file.known = file.known && readable[t];
        read[t] = true;
        for (ForeignKeyCheck& check : checks)
            if (check.deferred) deferred.emplace_back(t, std::move(check));
    }
    for (const auto& [t, check] : deferred) {
        if (!readable[check.target]) continue;
        const IndexTable& table = model.tables[t];
        std::string columns;
        for (size_t c : check.columns)
            columns += (columns.empty() ? "" : ", ") + table.columns[c].name;
        const std::string column = check.columns.size() == 1 ? columns : std::string();
        for (const auto& [hash, line] : check.kept)
            if (!primaryKeys[check.target].Contains(hash))
                sink.Report("G603", table.url, line, table.number,
                            fmt::format("{}: Fremdschlüssel {}: kein Eintrag in {}.", table.label,
                                        columns, check.targetLabel),
                            column);
    }
    for (const auto& [path, file] : coverage) ReportUncoveredLines(file, sink);
}

// The DTD copy of the version Index.xml names, else the one our media name; true when it is there.
bool CheckDtdCopyOf(const fs::path& folder, const std::string& doctype,
                    const MediumCheckOptions& options, FindingSink& sink) {
    const std::string name = DtdVersion(doctype).empty() ? kGdpduDtdName : doctype;
    if (options.dtd) *options.dtd = DtdVersion(doctype).empty() ? std::string() : doctype;
    fs::path published = options.publishedDtd;
    if (!published.empty()) published.replace_filename(name);
    return CheckDtdCopy(folder, name, published, sink);
}

}  // namespace

std::vector<MediumFinding> CheckMedium(const fs::path& folder, const MediumCheckOptions& options) {
    FindingSink sink(options.maxFindingsEach);
    bool exact = false;
    const std::optional<fs::path> index = FindEntry(folder, kIndexFileName, exact);
    if (!index) {
        CheckDtdCopyOf(folder, {}, options, sink);
        sink.Report("G101", kIndexFileName, 0, 0,
                    "Index.xml fehlt im Ordner des Datenträgers; ohne sie lässt sich nichts "
                    "einlesen.");
        return sink.Take();
    }
    ContainedFile file = OpenContained(folder, *index);
    if (file.refusal != FileRefusal::None) {
        CheckDtdCopyOf(folder, {}, options, sink);
        sink.Report(file.refusal == FileRefusal::Unreadable ? "G101" : "G108", kIndexFileName, 0, 0,
                    "Index.xml " + RefusalText(file) + ".");
        return sink.Take();
    }
    const std::optional<std::string> xml = ReadWhole(file, kMaxIndexBytes);
    if (!xml) {
        CheckDtdCopyOf(folder, {}, options, sink);
        sink.Report("G101", kIndexFileName, 0, 0,
                    file.size > kMaxIndexBytes
                        ? TooLarge("Index.xml", file.size, kMaxIndexBytes)
                        : std::string("Index.xml lässt sich nicht ganz lesen."));
        return sink.Take();
    }
    const std::string url = index->string();
    const std::optional<IndexModel> model = ReadIndex(*xml, url, sink);
    const bool dtdThere = CheckDtdCopyOf(folder, model ? model->doctype : "", options, sink);
    if (!model) return sink.Take();
    std::vector<std::string> names;
    for (const IndexTable& table : model->tables) names.push_back(table.name);
    sink.NameTables(std::move(names));
    CheckIndexAgainstDtd(folder, *xml, url, *model, dtdThere, sink);
    const MediumRelations relations = ResolveRelations(*model, sink);
    CheckData(folder, *model, relations, sink, options.totals);
    ReportUndescribedFiles(folder, *model, sink);
    return sink.Take();
}

}  // namespace norvik
