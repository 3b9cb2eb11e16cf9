#include "gdpdu/medium_plan.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>

#include "common/cp1252_case.h"
#include "common/file_io.h"
#include "common/vb_error.h"
#include "engine/export_sql.h"
#include "gdpdu/gdpdu_text.h"
#include "gdpdu/layout_description.h"
#include "gdpdu/tq_xml.h"
#include "medium/windows_file_name.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

// One selected table's data file.
struct PlannedFile {
    std::string caption;  // names the table in the messages
    std::string name;     // the file name Index.xml gives as its URL
    fs::path resolved;    // the file the run writes: absolute, links and ".." resolved
    bool named = false;   // name and place are sound: it is compared with the others
};

// Links are followed even where their target does not exist yet: the run writes through them.
fs::path Resolved(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(NativePath(path), ec);
    if (ec) return NativePath(path).lexically_normal();
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) break;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    fs::path resolved = fs::weakly_canonical(p, ec);
    if (ec) resolved = p.lexically_normal();
    // A folder given with its separator is the same folder.
    if (!resolved.has_filename() && resolved.has_relative_path()) resolved = resolved.parent_path();
    return resolved;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// "A", "B" und "C"
std::string Enumeration(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " und " : ", ";
        text += Quoted(items[i]);
    }
    return text;
}

std::string TableSays(const std::string& caption, const std::string& sentence) {
    return "Tabelle " + Quoted(caption) + ": " + sentence;
}

void CheckName(const PlannedFile& file, const fs::path& folder, std::vector<std::string>& out) {
    const std::string problem = WindowsFileNameProblem(file.name);
    if (!problem.empty()) {
        out.push_back(TableSays(file.caption, problem));
        return;
    }
    const std::string written = file.resolved.filename().string();
    if (EqualsIgnoreCase(file.name, kIndexFileName) || EqualsIgnoreCase(written, kIndexFileName))
        out.push_back(TableSays(file.caption, "Die Datendatei " + Quoted(file.name) +
                                                  " hätte den Namen der Beschreibungsdatei "
                                                  "Index.xml."));
    else if (EqualsIgnoreCase(file.name, kGdpduDtdName) || EqualsIgnoreCase(written, kGdpduDtdName))
        out.push_back(TableSays(file.caption, "Die Datendatei " + Quoted(file.name) +
                                                  " hätte den Namen der DTD-Datei " +
                                                  kGdpduDtdName + "."));
    for (const char* reserved : {kHandoverRecordName, kHashListName})
        if (EqualsIgnoreCase(file.name, reserved) || EqualsIgnoreCase(written, reserved))
            out.push_back(TableSays(file.caption, "Die Datendatei " + Quoted(file.name) +
                                                      " hätte einen Namen, den die ZIP-Datei "
                                                      "für die Übergabe braucht (" +
                                                      reserved + ")."));
    if (file.resolved.parent_path() != folder)
        out.push_back(TableSays(file.caption, "Die Datendatei " + Quoted(file.resolved.string()) +
                                                  " liegt nicht im Ausgabeordner " +
                                                  Quoted(folder.string()) + "."));
}

void CheckFormat(const std::string& caption, const TQExportDef& def,
                 std::vector<std::string>& out) {
    if (def.Dezimaltrenner.empty())
        out.push_back(TableSays(caption, "Die Exportdefinition hat kein Dezimaltrennzeichen."));
    else if (def.Dezimaltrenner == def.Feldtrenner)
        out.push_back(TableSays(caption, fmt::format("Das Dezimaltrennzeichen '{}' ist zugleich "
                                                     "das Feldtrennzeichen.",
                                                     def.Dezimaltrenner)));
    if (!def.Texterkenner.empty() && def.Ersatzzeichen == def.Texterkenner)
        out.push_back(TableSays(caption, fmt::format("Das Ersatzzeichen '{}' ist zugleich der "
                                                     "Texterkenner und bliebe so in den Werten "
                                                     "stehen.",
                                                     def.Ersatzzeichen)));
}

// Layouts an Index.xml must describe with at least one typed column each, as the DTD demands.
void CheckLayouts(const std::string& caption, const TQExportDef& def,
                  std::vector<std::string>& out) {
    size_t written = 0;
    for (size_t r = 0; r < static_cast<size_t>(def.Records->Count()); ++r) {
        if (!LayoutIsWritten(def, r)) continue;
        ++written;
        const TQRecord& record = *def.Records->Item(static_cast<int32_t>(r + 1));
        if (record.Fields->Count() == 0)
            out.push_back(
                TableSays(caption, fmt::format("Der Satz {} hat keine Felder.", record.Name)));
        for (const auto& field : *record.Fields)
            if (field->FeldTyp != "T" && field->FeldTyp != "V" && field->FeldTyp != "N" &&
                field->FeldTyp != "D")
                out.push_back(TableSays(
                    caption, fmt::format("Das Feld {} hat keinen Datentyp (T, V, N oder D), den "
                                         "die XML-Datei beschreiben könnte.",
                                         field->Name)));
        // Columns split by separators are found by their order, and the DTD lets a primary key
        // only lead; a fixed-length file names its columns by place and may put them first.
        if (def.FeldLänge == "Fix") continue;
        std::string firstColumn;
        for (const auto& field : *record.Fields) {
            if (!IsPrimaryKeyField(*field)) {
                if (firstColumn.empty()) firstColumn = field->Name;
            } else if (!firstColumn.empty()) {
                out.push_back(TableSays(
                    caption, fmt::format("Das Schlüsselfeld {} steht hinter dem Feld {}; die "
                                         "XML-Datei muss die Schlüsselfelder zuerst nennen. Bitte "
                                         "die Schlüsselfelder an den Anfang des Satzes stellen.",
                                         field->Name, firstColumn)));
                break;
            }
        }
    }
    if (written == 0)
        out.push_back(TableSays(caption, "Die Exportdefinition hat keinen Satz (DATENSATZ)."));
}

bool SameFile(const PlannedFile& a, const PlannedFile& b) {
    if (EqualsIgnoreCase(a.name, b.name) ||
        EqualsIgnoreCase(a.resolved.string(), b.resolved.string()))
        return true;
    std::error_code ec;
    return fs::equivalent(a.resolved, b.resolved, ec) && !ec;
}

std::string SharedFileProblem(const std::vector<const PlannedFile*>& group) {
    std::vector<std::string> captions, names;
    bool caseOnly = true;
    for (const PlannedFile* file : group) {
        captions.push_back(file->caption);
        if (std::find(names.begin(), names.end(), file->name) == names.end())
            names.push_back(file->name);
        caseOnly = caseOnly && EqualsIgnoreCase(file->name, group.front()->name);
    }
    const std::string tables = "Tabellen " + Enumeration(captions) + ": ";
    if (names.size() == 1)
        return tables + "Sie schreiben dieselbe Datendatei " + Quoted(names.front()) + ".";
    if (caseOnly)
        return tables + "Ihre Datendateien " + Enumeration(names) +
               " unterscheiden sich nur in der Groß- und Kleinschreibung und sind unter Windows "
               "dieselbe Datei.";
    return tables + "Ihre Datendateien " + Enumeration(names) +
           " sind im Ausgabeordner dieselbe Datei.";
}

// The tables that would write one file, as groups in the order of their first table.
void CheckSharedFiles(const std::vector<PlannedFile>& files, std::vector<std::string>& out) {
    std::vector<size_t> group(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        group[i] = i;
        if (!files[i].named) continue;
        for (size_t j = 0; j < i; ++j) {
            if (!files[j].named || !SameFile(files[i], files[j])) continue;
            const size_t from = group[i], to = group[j];
            for (size_t& g : group)
                if (g == from) g = to;
        }
    }
    for (size_t first = 0; first < files.size(); ++first) {
        std::vector<const PlannedFile*> members;
        for (size_t i = 0; i < files.size(); ++i)
            if (group[i] == first) members.push_back(&files[i]);
        if (members.size() > 1) out.push_back(SharedFileProblem(members));
    }
}

}  // namespace

std::vector<std::string> MediumPlanProblems(const TQGxpFiles& tables, const std::string& folder) {
    const fs::path resolvedFolder = Resolved(folder);
    std::vector<std::string> problems;
    std::vector<PlannedFile> files;
    for (const auto& entry : tables) {
        if (!entry->Selected) continue;
        if (!entry->Export || !entry->Export->ExpDef) throw VbError(kErrObjectNotSet);
        const TQExportDef& def = *entry->Export->ExpDef;
        // A definition that could not be loaded is empty; its other values say nothing.
        if (def.Datenquelle.empty()) {
            problems.push_back(TableSays(entry->Caption, kNoSourceMessage));
            continue;
        }
        PlannedFile file{entry->Caption, FileNameOnly(def.Dateiname), Resolved(def.Dateiname)};
        const size_t before = problems.size();
        CheckName(file, resolvedFolder, problems);
        file.named = problems.size() == before;
        CheckFormat(entry->Caption, def, problems);
        CheckLayouts(entry->Caption, def, problems);
        files.push_back(std::move(file));
    }
    if (files.empty() && problems.empty())
        problems.push_back(
            "Es ist keine Tabelle ausgewählt; bitte mindestens eine Tabelle "
            "ankreuzen.");
    CheckSharedFiles(files, problems);
    return problems;
}

std::string MediumPlanRefusal(const std::vector<std::string>& problems) {
    std::string text = "Der Datenträger wurde nicht erstellt, es wurde keine Datei geschrieben:";
    for (const std::string& problem : problems) text += "\r\n" + problem;
    return text;
}

}  // namespace norvik
