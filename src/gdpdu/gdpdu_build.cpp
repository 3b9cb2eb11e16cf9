#include "gdpdu/gdpdu_build.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "check/finding_sink.h"
#include "check/medium_check.h"
#include "check/medium_coverage.h"
#include "common/count_text.h"
#include "common/file_io.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"
#include "engine/shown_notes.h"
#include "gdpdu/export_folder_dtd.h"
#include "gdpdu/gathered_messages.h"
#include "gdpdu/gdpdu_text.h"
#include "gdpdu/handover_record.h"
#include "gdpdu/handover_zip.h"
#include "gdpdu/layout_description.h"
#include "gdpdu/medium_plan.h"
#include "gdpdu/staged_medium.h"
#include "gdpdu/tq_xml.h"
#include "host/busy_pointer.h"
#include "host/cancel_request.h"
#include "host/module_state.h"
#include "host/protocol.h"
#include "host/shell_service.h"

namespace norvik {
namespace {

// Values changed one by one that a table names before it counts the rest.
constexpr size_t kNamedChangesShown = 10;

namespace fs = std::filesystem;

constexpr const char* kSucceeded =
    "Die Datenausgabe wurde erfolgreich ausgeführt.\r\nMöchten Sie den Ordner der ausgegebenen "
    "Dateien öffnen?";
constexpr const char* kFailed =
    "Die Datenausgabe wurde mit Fehlern beendet!\r\nDrücken Sie die Schaltfläche ''Mehr'' für "
    "weitere Informationen.";
// The final message of a build that a progress window followed: the outcome, one line per table,
// what went wrong, the check, then the question.
constexpr const char* kSucceededHead = "Die Datenausgabe wurde erfolgreich ausgeführt.";
constexpr const char* kFailedHead = "Die Datenausgabe wurde mit Fehlern beendet!";
constexpr const char* kCancelledHead =
    "Die Datenausgabe wurde abgebrochen; der Ordner und ein früherer Datenträger darin sind "
    "unverändert.";
constexpr const char* kFolderKept =
    "Der Ordner und ein früherer Datenträger darin sind unverändert.";
constexpr const char* kOpenQuestion = "Möchten Sie den Ordner der ausgegebenen Dateien öffnen?";
constexpr const char* kIndexFailed = "Fehler beim erstellen der XML-Datei.";
constexpr const char* kNotAllTables =
    "Der Datenträger wurde nicht gespeichert, weil nicht alle Tabellen ausgegeben wurden.";
constexpr const char* kNoDtd =
    "Ohne die DTD-Datei wäre der Datenträger unvollständig; er wurde nicht gespeichert.";
constexpr const char* kNoStaging = "Im Ausgabeordner lässt sich kein Datenträger anlegen: ";
constexpr const char* kNotPlaced =
    "Die Dateien des Datenträgers ließen sich nicht in den Ordner übernehmen: ";
constexpr const char* kEarlierRemoved =
    "Datei der früheren Datenausgabe entfernt, die der neue Datenträger nicht enthält: ";
constexpr const char* kZipWritten = "ZIP-Datei für die Übergabe geschrieben: ";
constexpr const char* kZipFailed = "Fehler beim Packen der ZIP-Datei: ";

// Packing a large medium takes a while: the host's window stays alive and "Abbrechen" works.
class PackingFollower : public PackingEvents {
  public:
    PackingFollower(GdpduBuildEvents* listener, HostServices& services)
        : listener_(listener), services_(services) {}
    void Packed(int16_t percent) override {
        if (listener_) listener_->ExportProgress(percent);
        services_.PumpMessages();
    }
    bool StopRequested() override { return CancelRequested(); }

  private:
    GdpduBuildEvents* listener_;
    HostServices& services_;
};

}  // namespace

void TQGDPdU::BuildGDPdU() {
    GdpduBuild(*this).Run();
}

void GdpduBuild::Run() {
    BusyPointer busy(services_);
    gdpdu_.SetLastOutcome(GdpduOutcome::NotRun);
    try {
        OpenProtocol(state_, services_, "GDPdU - Datenausgabe", state_.userName, "LST_GDPdU",
                     TodayText(), gdpdu_.Schnittstelle, gdpdu_.Pfad,
                     DateTimeToText(gdpdu_.DatumVon) + " bis " + DateTimeToText(gdpdu_.DatumBis));
        bool failed = true;
        std::vector<std::string> problems;
        if (GdpduBuildEvents* listener = gdpdu_.Listener()) {
            auto gathered = std::make_shared<GatheredMessages>(services_.Messages());
            {
                const GatheringScope scope(services_.messages, gathered);
                failed = !BuildMedium();
            }
            problems = gathered->Problems();
            listener->BuildEnded();
        } else {
            failed = !BuildMedium();
        }
        services_.UserSettings().Save("TQBExport", "Schnittstelle", gdpdu_.Schnittstelle,
                                      gdpdu_.Pfad);

        // A stop the user asked for is information, not an error.
        int32_t answer = 0;
        if (gdpdu_.Listener())
            answer = services_.Messages().ShowMessage(FinalReport(failed, problems),
                                                      cancelled_ ? 4
                                                      : failed   ? 0
                                                                 : 5,
                                                      failed ? kButtonsOk : kButtonsYesNo, true);
        else if (cancelled_)
            services_.Messages().ReportError("TQGDPdU", "BuildGDPdU", kErrUserInterrupt,
                                             kCancelledHead, true);
        else
            answer = failed ? services_.Messages().ShowMessage(kFailed, 0, kButtonsOk, true)
                            : services_.Messages().ShowMessage(kSucceeded, 5, kButtonsYesNo, true);
        ClearCancel();
        gdpdu_.SetLastOutcome(cancelled_ ? GdpduOutcome::Stopped
                              : failed   ? GdpduOutcome::Failed
                                         : GdpduOutcome::Succeeded);
        if (answer == kAnswerYes) OpenFolder(gdpdu_.Pfad);
        CloseProtocol(state_);
    } catch (const std::exception& e) {
        const VbError error = ToVbError(e);
        gdpdu_.SetLastOutcome(GdpduOutcome::Aborted);
        WriteProtocolLine(state_, services_, "Fehler: " + error.Description());
        services_.Messages().ReportError("TQGDPdU", "BuildGDPdU", error.Number(),
                                         error.Description(), true);
    }
}

bool GdpduBuild::BuildMedium() {
    if (!AcceptPlan() || !ProvideDtd()) return false;
    std::unique_ptr<StagedMedium> staged;
    try {
        staged = std::make_unique<StagedMedium>(gdpdu_.Pfad);
    } catch (const VbError& e) {
        WriteProtocolLine(state_, services_, kNoStaging + e.Description());
        services_.Messages().ShowText(kNoStaging + e.Description(), 0);
        return false;
    }
    folderKept_ = true;
    const fs::path& staging = staged->Path();
    bool done = false;
    if (!ExportTables(staging) || CancelRequested()) {
        if (!CancelRequested()) WriteProtocolLine(state_, services_, kNotAllTables);
    } else if (!WriteIndex(staging)) {
        // The writing has said why.
    } else if (CopyDTD(staging) != 0) {
        // The copy has failed and said so; an import could not even read the index.
        WriteProtocolLine(state_, services_, kNoDtd);
    } else if (CheckFinishedMedium(*staged) && (!gdpdu_.HandoverZip || PackHandover(staging))) {
        // The last moment a stop is honoured: putting the files in place is quick.
        done = !CancelRequested() && PutInPlace(*staged);
    }
    if (!done) {
        if (CancelRequested()) Stopped();
        zip_.Discard();
        if (!cancelled_) WriteProtocolLine(state_, services_, kFolderKept);
    }
    return done;
}

void GdpduBuild::Stopped() {
    if (cancelled_) return;
    cancelled_ = true;
    WriteProtocolLine(state_, services_, kCancelledHead);
}

bool GdpduBuild::AcceptPlan() {
    const std::vector<std::string> problems = MediumPlanProblems(*gdpdu_.GxpFiles, gdpdu_.Pfad);
    if (problems.empty()) return true;
    const std::string refusal = MediumPlanRefusal(problems);
    WriteProtocolLine(state_, services_, refusal);
    services_.Messages().ShowText(refusal, 0);
    return false;
}

bool GdpduBuild::ExportTables(const fs::path& staging) {
    GdpduBuildEvents* listener = gdpdu_.Listener();
    int32_t tables = 0, number = 0;
    for (const auto& entry : *gdpdu_.GxpFiles) tables += entry->Selected ? 1 : 0;
    if (listener) listener->BuildStarted(tables);
    bool succeeded = true;
    for (const auto& entry : *gdpdu_.GxpFiles) {
        if (!entry->Selected) continue;
        if (!entry->Export) throw VbError(kErrObjectNotSet);
        if (CancelRequested()) return false;
        entry->Export->SQLWhere =
            ReplaceSQLVars(entry->SQLString, gdpdu_.DatumVon, gdpdu_.DatumBis);
        if (listener) {
            listener->TableStarted(++number, tables, entry->Caption);
            entry->Export->Advise(listener);
        }
        entry->Export->WriteInto = staging.string();
        entry->Export->PeriodFrom = gdpdu_.DatumVon;
        entry->Export->PeriodTo = gdpdu_.DatumBis;
        const bool exported = entry->Export->BuildExport() == 0;
        entry->Export->WriteInto.clear();
        if (listener) entry->Export->Advise(nullptr);
        succeeded = succeeded && exported;
        const int64_t rows = entry->Export->LastRowCount();
        if (exported) ReportTableNotes(*entry, rows);
        tableLines_.push_back(entry->Caption + ": " +
                              (exported
                                   ? GroupedCount(rows) + (rows == 1 ? " Datensatz" : " Datensätze")
                                   : std::string("nicht vollständig ausgegeben")));
    }
    return succeeded;
}

void GdpduBuild::ReportTableNotes(const TQGxpFile& entry, int64_t rows) {
    // The auditor receives other data than the database holds, or none: said also with -q.
    const std::string table = "Tabelle " + entry.TableName + ": ";
    for (const RunNote& note : ShownNotes(entry.Export->LastNotes(), kNamedChangesShown)) {
        const std::string_view head = "Warnung: ";
        const bool warning = note.text.rfind(head, 0) == 0;
        services_.Messages().ShowText(
            std::string(head) + table + note.text.substr(warning ? head.size() : 0), 3);
    }
    // The DTD's Map holds one pair; what follows it would vanish without a word.
    for (const auto& record : *entry.Export->ExpDef->Records)
        for (const auto& field : *record->Fields) {
            const size_t split = field->Map.find(';');
            const size_t end = split == std::string::npos ? split : field->Map.find(';', split + 1);
            if (end == std::string::npos) continue;
            services_.Messages().ShowText(
                fmt::format("Warnung: {}Die Map des Feldes {} hat nach Von;Bedeutung weitere "
                            "Teile ({}); die XML-Datei beschreibt nur den ersten, die weiteren "
                            "gelten nicht.",
                            table, field->Name, field->Map.substr(end + 1)),
                3);
        }
    if (rows > 0) return;
    const std::string text = fmt::format(
        "Warnung: {}keine Datensätze im Zeitraum vom {} bis {}; ihre Datei ist leer. Bitte die "
        "Bedingung für den Zeitraum prüfen.",
        table, DateTimeToText(gdpdu_.DatumVon), DateTimeToText(gdpdu_.DatumBis));
    WriteProtocolLine(state_, services_, text);
    services_.Messages().ShowText(text, 3);
}

std::string GdpduBuild::FinalReport(bool failed, const std::vector<std::string>& problems) const {
    std::string text = cancelled_ ? kCancelledHead : failed ? kFailedHead : kSucceededHead;
    text += "\r\n";
    for (const std::string& line : tableLines_) text += "\r\n" + line;
    if (!cleanCheck_.empty()) text += "\r\n\r\n" + cleanCheck_;
    if (!dtdNote_.empty()) text += "\r\n\r\n" + dtdNote_;
    for (const std::string& problem : problems) text += "\r\n\r\n" + problem;
    if (failed && !cancelled_ && folderKept_) text += std::string("\r\n\r\n") + kFolderKept;
    if (!zipPath_.empty()) text += "\r\n\r\nZIP-Datei für die Übergabe: " + zipPath_;
    if (!failed) text += std::string("\r\n\r\n") + kOpenQuestion;
    return text;
}

bool GdpduBuild::WriteIndex(const fs::path& staging) {
    HostSettings& settings = state_.Settings();
    const std::string name = supplier_ = settings.ReadValue("Firmendaten", "Bez1", "STANDARD", "-");
    const std::string place = location_ = settings.ReadValue("Firmendaten", "Ort", "STANDARD", "-");
    TQXML xml;
    xml.Pfad = staging.string();
    if (xml.CreateNew(name, place, kGdpduComment) != 0) {
        WriteProtocolLine(state_, services_, kIndexFailed);
        return false;
    }
    const std::string von = DateTimeToText(gdpdu_.DatumVon), bis = DateTimeToText(gdpdu_.DatumBis);
    const std::set<std::string> tables = MediumTables();
    for (const auto& entry : *gdpdu_.GxpFiles) {
        if (!entry->Selected) continue;
        if (!entry->Export || !entry->Export->ExpDef) throw VbError(kErrObjectNotSet);
        const TQExportDef& def = *entry->Export->ExpDef;
        const std::string description =
            ReplaceDescVars(entry->TableDesc, entry->TableName, gdpdu_.DatumVon, gdpdu_.DatumBis);
        size_t r = 0;
        for (const auto& record : *def.Records) {
            const size_t layout = r++;
            // A second header or trailer record is never written: there is nothing to describe.
            if (!LayoutIsWritten(def, layout)) continue;
            TableFormat format = DescribeLayout(def, layout, entry->Export->LastWritten());
            format.MediumTables = tables;
            NameDroppedForeignKeys(*record, LayoutTableName(def, layout, entry->TableName), tables);
            xml.CreateTable(*record, FileNameOnly(def.Dateiname),
                            LayoutTableName(def, layout, entry->TableName), description, von, bis,
                            format);
        }
    }
    xml.WriteFooter();
    // A line that could not be written has been reported; such a file is no index.
    if (!xml.Complete()) WriteProtocolLine(state_, services_, kIndexFailed);
    return xml.Complete();
}

void GdpduBuild::NameDroppedForeignKeys(const TQRecord& record, const std::string& table,
                                        const std::set<std::string>& tables) {
    // The index leaves such a key out, as it names nothing an import could join; a misspelt table
    // name must not vanish without a word.
    for (const auto& field : *record.Fields) {
        if (!IsForeignKeyField(*field) || tables.count(field->FremdSchlüssel) > 0) continue;
        const std::string text = fmt::format(
            "Hinweis: Der Fremdschlüssel {} der Tabelle {} verweist auf die Tabelle {}, die nicht "
            "auf dem Datenträger ist; er wird in der XML-Datei nicht beschrieben.",
            field->Name, table, field->FremdSchlüssel);
        WriteProtocolLine(state_, services_, text);
        services_.Messages().ShowText(text, 3);
    }
}

std::set<std::string> GdpduBuild::MediumTables() const {
    std::set<std::string> names;
    for (const auto& entry : *gdpdu_.GxpFiles)
        if (entry->Selected) names.insert(entry->TableName);
    return names;
}

bool GdpduBuild::CheckFinishedMedium(const StagedMedium& staged) {
    if (GdpduBuildEvents* listener = gdpdu_.Listener()) listener->Checking();
    MediumCheckOptions options;
    options.totals = &totals_;
    std::vector<MediumFinding> findings = CheckMedium(staged.Path(), options);
    // The folder's other files would lie beside the medium, undescribed; the earlier medium's
    // own files go with it, and the staging folder is this build's.
    IndexModel beside;
    beside.doctype = kGdpduDtdName;
    std::vector<std::string> passed = staged.Files();
    for (const std::string& name : staged.EarlierOnly()) passed.push_back(name);
    passed.push_back(staged.Path().filename().string());
    for (const std::string& name : passed) beside.tables.emplace_back().url = name;
    FindingSink sink(options.maxFindingsEach);
    ReportUndescribedFiles(NativePath(gdpdu_.Pfad), beside, sink);
    for (MediumFinding& finding : sink.Take()) findings.push_back(std::move(finding));
    std::stable_sort(
        findings.begin(), findings.end(),
        [](const MediumFinding& a, const MediumFinding& b) { return a.table < b.table; });
    const bool clean = !HasErrors(findings);
    WriteProtocolLine(state_, services_,
                      clean ? "XML-Datei erfolgreich erstellt."
                            : "XML-Datei erstellt; der Datenträger enthält Fehler.");
    ReportFindings(findings);
    return clean;
}

void GdpduBuild::ReportFindings(const std::vector<MediumFinding>& findings) {
    std::string shown = "Prüfung des Datenträgers:";
    size_t n = 0;
    for (const MediumFinding& finding : findings) {
        const std::string line = FindingLine(finding);
        checkLines_.push_back(line);
        WriteProtocolLine(state_, services_, line);
        if (n++ < kMaxShownFindings) shown += "\r\n" + line;
    }
    const std::string summary = SummaryLine(findings);
    checkLines_.push_back(summary);
    WriteProtocolLine(state_, services_, summary);
    if (findings.empty()) {
        cleanCheck_ = summary;
        return;
    }
    if (n > kMaxShownFindings)
        shown += fmt::format("\r\n… {} weitere Zeilen im Protokoll.", n - kMaxShownFindings);
    services_.Messages().ShowText(shown + "\r\n" + summary, 3);
}

bool GdpduBuild::PackHandover(const fs::path& staging) {
    GdpduBuildEvents* listener = gdpdu_.Listener();
    if (listener) listener->Packing();
    try {
        const fs::path zip = HandoverZipPath(gdpdu_.Pfad);
        std::vector<std::string> dataFiles;
        for (const TableTotal& table : totals_) dataFiles.push_back(table.url);
        const std::vector<PackedFile> files = HashMediumFiles(staging, PackageOrder(dataFiles));
        HandoverFacts facts;
        facts.supplier = supplier_;
        facts.location = location_;
        facts.period = DateTimeToText(gdpdu_.DatumVon) + " bis " + DateTimeToText(gdpdu_.DatumBis);
        facts.program = std::string("NorvikExport ") + NORVIK_EXPORT_VERSION;
        facts.tables = totals_;
        for (const PackedFile& file : files) facts.files.emplace_back(file.sum.name, file.size);
        facts.check = checkLines_;
        PackingFollower follower(listener, services_);
        WriteHandoverZip(staging, files, HandoverRecordBytes(facts), zip, zip_, &follower);
        return true;
    } catch (const VbError& e) {
        // A stop is said once, by the build.
        if (CancelRequested()) return false;
        const std::string text = kZipFailed + e.Description();
        WriteProtocolLine(state_, services_, text);
        services_.Messages().ShowText(text, 0);
        return false;
    }
}

bool GdpduBuild::PutInPlace(StagedMedium& staged) {
    const fs::path zip = gdpdu_.HandoverZip ? HandoverZipPath(gdpdu_.Pfad) : fs::path();
    try {
        staged.Publish();
    } catch (const VbError& e) {
        WriteProtocolLine(state_, services_, kNotPlaced + e.Description());
        services_.Messages().ShowText(kNotPlaced + e.Description(), 0);
        return false;
    }
    // The ZIP and the folder hold the same medium: the ZIP that cannot take its place takes the
    // medium back out of the folder.
    if (zip_.IsOpen()) {
        if (const int err = zip_.Commit(); err != 0) {
            staged.Restore();
            const std::string text = kZipFailed + FileError(err, zip.string()).Description();
            WriteProtocolLine(state_, services_, text);
            services_.Messages().ShowText(text, 0);
            return false;
        }
    }
    for (const std::string& name : staged.Finish())
        WriteProtocolLine(state_, services_, kEarlierRemoved + name);
    if (!zip.empty()) {
        zipPath_ = zip.string();
        WriteProtocolLine(state_, services_, kZipWritten + zipPath_);
        // A listener names it in the final message.
        if (!gdpdu_.Listener()) services_.Messages().ShowText(kZipWritten + zipPath_, 4);
    }
    return true;
}

bool GdpduBuild::ProvideDtd() {
    try {
        dtdNote_ = ProvideExportFolderDtd(state_.exportPath);
    } catch (const VbError& e) {
        WriteProtocolLine(state_, services_, e.Description());
        services_.Messages().ShowText(e.Description(), 0);
        return false;
    }
    if (!dtdNote_.empty()) {
        WriteProtocolLine(state_, services_, dtdNote_);
        // A listener names it in the final message.
        if (!gdpdu_.Listener()) services_.Messages().ShowText(dtdNote_, 4);
    }
    return true;
}

int32_t GdpduBuild::CopyDTD(const fs::path& staging) {
    try {
        const std::string source = WithTrailingSeparator(state_.exportPath) + kGdpduDtdName;
        std::error_code ec;
        if (!fs::is_regular_file(NativePath(source), ec)) throw PathError(kErrFileNotFound, source);
        CopyFileGuarded(source, (staging / kGdpduDtdName).string());
        return 0;
    } catch (const VbError& e) {
        services_.Messages().ShowText(
            fmt::format("Fehler beim kopieren der ''DTD-Datei'': \r\nFehler: {} {}", e.Number(),
                        e.Description()),
            3);
        return e.Number();
    }
}

void GdpduBuild::OpenFolder(const std::string& path) {
    if (!services_.Shell().OpenFolder(path))
        services_.Messages().ShowText(kFolderNotOpenedMessage + path, 4);
}

}  // namespace norvik
