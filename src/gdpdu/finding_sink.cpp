#include "gdpdu/finding_sink.h"

#include <algorithm>

namespace norvik {

FindingSink::FindingSink(size_t maxEach) : maxEach_(std::max<size_t>(maxEach, 1)) {}

bool FindingSink::Admit(std::string_view code, size_t table, std::string_view file) {
    uint64_t& seen = seen_[Group(code, table, file)];
    return ++seen <= maxEach_;
}

void FindingSink::Add(std::string_view code, std::string_view file, uint64_t line, size_t table,
                      std::string text, std::string_view column) {
    MediumFinding finding;
    finding.severity = KindOf(code).severity;
    finding.code = code;
    finding.file = file;
    finding.line = line;
    finding.table = table;
    finding.text = std::move(text);
    finding.column = column;
    findings_.push_back(std::move(finding));
}

void FindingSink::Report(std::string_view code, std::string_view file, uint64_t line, size_t table,
                         std::string text, std::string_view column) {
    if (Admit(code, table, file)) Add(code, file, line, table, std::move(text), column);
}

std::vector<MediumFinding> FindingSink::Take() {
    std::vector<MediumFinding> out = std::move(findings_);
    findings_.clear();
    // The medium's own findings first; then each table's: its description, then its lines.
    const auto order = [](const MediumFinding& f) {
        return std::make_tuple(f.table, f.file != kIndexFileName, f.line);
    };
    std::stable_sort(out.begin(), out.end(), [&](const MediumFinding& a, const MediumFinding& b) {
        return order(a) < order(b);
    });
    for (const auto& [group, seen] : seen_) {
        if (seen <= maxEach_) continue;
        const auto& [code, table, file] = group;
        MediumFinding more;
        more.severity = KindOf(code).severity;
        more.code = code;
        more.file = file;
        more.table = table;
        more.count = seen - maxEach_;
        more.text =
            GroupedCount(more.count) + " weitere Befunde dieser Art nicht einzeln aufgeführt.";
        // After the last finding of its table.
        const auto at =
            std::upper_bound(out.begin(), out.end(), table,
                             [](size_t t, const MediumFinding& f) { return t < f.table; });
        out.insert(at, std::move(more));
    }
    seen_.clear();
    for (MediumFinding& finding : out)
        if (finding.table > 0 && finding.table <= tableNames_.size())
            finding.tableName = tableNames_[finding.table - 1];
    return out;
}

}  // namespace norvik
