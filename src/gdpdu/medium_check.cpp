#include "gdpdu/medium_check.h"

#include <fmt/format.h>

#include <optional>
#include <utility>

#include "gdpdu/finding_sink.h"
#include "gdpdu/index_reader.h"
#include "gdpdu/index_relations.h"
#include "gdpdu/index_validation.h"
#include "gdpdu/medium_files.h"
#include "gdpdu/table_check.h"
#include "gdpdu/tq_xml.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxDtdProblems = 1000;

void CheckIndexAgainstDtd(const fs::path& index, const IndexModel& model, bool dtdThere,
                          FindingSink& sink) {
    if (model.doctype != kGdpduDtdName)
        sink.Report("G106", kIndexFileName, 0, 0,
                    model.doctype.empty()
                        ? std::string("Index.xml nennt keine DTD (DOCTYPE fehlt).")
                        : fmt::format("Index.xml nennt als DTD „{}“ statt {}.", model.doctype,
                                      kGdpduDtdName));
    if (!dtdThere) return;
    // The sink keeps the first and counts the rest.
    for (const IndexProblem& problem : IndexXmlProblems(index.string(), kMaxDtdProblems))
        sink.Report("G103", kIndexFileName, static_cast<uint64_t>(problem.line), 0,
                    "Index.xml entspricht nicht der DTD: " + problem.message);
}

// Reads the tables in an order that lets foreign keys be looked up as their rows are read; those
// naming a table read later (themselves, or a cycle) keep their keys until it is.
void CheckData(const fs::path& folder, const IndexModel& model, const MediumRelations& relations,
               FindingSink& sink) {
    const size_t n = model.tables.size();
    std::vector<KeyHashSet> primaryKeys(n);
    std::vector<bool> read(n, false), readable(n, false);
    std::vector<std::optional<fs::path>> files(n);
    for (size_t t = 0; t < n; ++t) {
        files[t] = LocateDataFile(folder, model.tables[t], sink);
        readable[t] = files[t] && model.tables[t].dataReadable;
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
        readable[t] = CheckTableData(model.tables[t], *files[t], checks, primaryKeys[t], sink);
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
        for (const auto& [hash, line] : check.kept)
            if (!primaryKeys[check.target].Contains(hash))
                sink.Report("G603", table.url, line, table.number,
                            fmt::format("{}: Fremdschlüssel {}: kein Eintrag in {}.", table.label,
                                        columns, check.targetLabel));
    }
}

}  // namespace

std::vector<MediumFinding> CheckMedium(const fs::path& folder, const MediumCheckOptions& options) {
    FindingSink sink(options.maxFindingsEach);
    const bool dtdThere = CheckDtdCopy(folder, options.publishedDtd, sink);
    bool exact = false;
    const std::optional<fs::path> index = FindEntry(folder, kIndexFileName, exact);
    std::error_code ec;
    if (!index || !fs::is_regular_file(*index, ec)) {
        sink.Report("G101", kIndexFileName, 0, 0,
                    "Index.xml fehlt im Ordner des Datenträgers; ohne sie lässt sich nichts "
                    "einlesen.");
        return sink.Take();
    }
    const std::optional<IndexModel> model = ReadIndex(*index, sink);
    if (!model) return sink.Take();
    CheckIndexAgainstDtd(*index, *model, dtdThere, sink);
    const MediumRelations relations = ResolveRelations(*model, sink);
    CheckData(folder, *model, relations, sink);
    return sink.Take();
}

}  // namespace norvik
