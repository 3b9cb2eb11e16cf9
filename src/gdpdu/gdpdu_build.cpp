#include "gdpdu/gdpdu_build.h"

#include <fmt/format.h>

#include <filesystem>
#include <vector>

#include "common/count_text.h"
#include "common/file_io.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"
#include "gdpdu/gathered_messages.h"
#include "gdpdu/gdpdu_text.h"
#include "gdpdu/handover_record.h"
#include "gdpdu/handover_zip.h"
#include "gdpdu/layout_description.h"
#include "gdpdu/medium_check.h"
#include "gdpdu/medium_plan.h"
#include "gdpdu/staged_index.h"
#include "gdpdu/tq_xml.h"
#include "host/busy_pointer.h"
#include "host/cancel_request.h"
#include "host/module_state.h"
#include "host/protocol.h"
#include "host/shell_service.h"

namespace norvik {
namespace {

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
    "Die Datenausgabe wurde abgebrochen; eine XML-Datei wurde nicht gespeichert.";
constexpr const char* kOpenQuestion = "Möchten Sie den Ordner der ausgegebenen Dateien öffnen?";
constexpr const char* kIndexFailed = "Fehler beim erstellen der XML-Datei.";
// The index would describe a file that this build did not write.
constexpr const char* kIndexHeldBack =
    "Die XML-Datei wurde nicht gespeichert, weil nicht alle Tabellen ausgegeben wurden.";
// A failed build leaves no index: one from before would describe the files it has replaced.
constexpr const char* kEarlierIndexRemoved =
    "Die XML-Datei einer früheren Datenausgabe wurde entfernt, weil diese Datenausgabe nicht "
    "vollständig ist.";
constexpr const char* kZipWritten = "ZIP-Datei für die Übergabe geschrieben: ";
constexpr const char* kZipCancelled =
    "Das Packen der ZIP-Datei wurde abgebrochen; der Datenträger im Ordner ist vollständig, eine "
    "ZIP-Datei wurde nicht gespeichert.";
constexpr const char* kEarlierIndexKept =
    "Die XML-Datei einer früheren Datenausgabe konnte nicht entfernt werden und beschreibt nicht "
    "die Dateien dieser Datenausgabe: ";

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

        const int32_t answer =
            gdpdu_.Listener()
                ? services_.Messages().ShowMessage(FinalReport(failed, problems), failed ? 0 : 5,
                                                   failed ? kButtonsOk : kButtonsYesNo, true)
            : failed ? services_.Messages().ShowMessage(cancelled_ ? kCancelledHead : kFailed, 0,
                                                        kButtonsOk, true)
                     : services_.Messages().ShowMessage(kSucceeded, 5, kButtonsYesNo, true);
        ClearCancel();
        gdpdu_.SetLastOutcome(failed ? GdpduOutcome::Failed : GdpduOutcome::Succeeded);
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
    if (!AcceptPlan()) return false;
    const bool exported = ExportTables();
    StagedIndex index(gdpdu_.Pfad);
    if (CancelRequested()) {
        // Whatever the tables left, no index describes it.
        cancelled_ = true;
        WriteProtocolLine(state_, services_, kCancelledHead);
        WithdrawIndex(index);
        return false;
    }
    const bool written = WriteIndex(index);
    // A build that failed copies nothing more: its medium is withdrawn anyway.
    const bool dtdCopied = exported && written && CopyDTD() == 0;
    if (!FinishIndex(index, written, exported)) return false;
    if (!dtdCopied) {
        // The copy has failed and said so; an import could not even read the index.
        WriteProtocolLine(state_, services_,
                          "XML-Datei erstellt; ohne die DTD-Datei ist der Datenträger "
                          "unvollständig.");
        return false;
    }
    if (!CheckFinishedMedium()) return false;
    return !gdpdu_.HandoverZip || PackHandover();
}

bool GdpduBuild::AcceptPlan() {
    const std::vector<std::string> problems = MediumPlanProblems(*gdpdu_.GxpFiles, gdpdu_.Pfad);
    if (problems.empty()) return true;
    const std::string refusal = MediumPlanRefusal(problems);
    WriteProtocolLine(state_, services_, refusal);
    services_.Messages().ShowText(refusal, 0);
    return false;
}

bool GdpduBuild::ExportTables() {
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
        const bool exported = entry->Export->BuildExport() == 0;
        if (listener) entry->Export->Advise(nullptr);
        succeeded = succeeded && exported;
        const int64_t rows = entry->Export->LastRowCount();
        tableLines_.push_back(entry->Caption + ": " +
                              (exported
                                   ? GroupedCount(rows) + (rows == 1 ? " Datensatz" : " Datensätze")
                                   : std::string("nicht vollständig ausgegeben")));
    }
    return succeeded;
}

std::string GdpduBuild::FinalReport(bool failed, const std::vector<std::string>& problems) const {
    std::string text = cancelled_ ? kCancelledHead : failed ? kFailedHead : kSucceededHead;
    text += "\r\n";
    for (const std::string& line : tableLines_) text += "\r\n" + line;
    if (!cleanCheck_.empty()) text += "\r\n\r\n" + cleanCheck_;
    for (const std::string& problem : problems) text += "\r\n\r\n" + problem;
    if (!zipPath_.empty()) text += "\r\n\r\nZIP-Datei für die Übergabe: " + zipPath_;
    if (!failed) text += std::string("\r\n\r\n") + kOpenQuestion;
    return text;
}

bool GdpduBuild::WriteIndex(const StagedIndex& index) {
    HostSettings& settings = state_.Settings();
    const std::string name = supplier_ = settings.ReadValue("Firmendaten", "Bez1", "STANDARD", "-");
    const std::string place = location_ = settings.ReadValue("Firmendaten", "Ort", "STANDARD", "-");
    TQXML xml;
    xml.Pfad = gdpdu_.Pfad;
    xml.FileName = index.TemporaryName();
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

bool GdpduBuild::FinishIndex(StagedIndex& index, bool written, bool exported) {
    if (written && !exported) WriteProtocolLine(state_, services_, kIndexHeldBack);
    if (!written || !exported) {
        WithdrawIndex(index);
        return false;
    }
    try {
        index.Publish();
    } catch (const VbError& e) {
        WriteProtocolLine(state_, services_, kIndexFailed);
        services_.Messages().ShowText(
            fmt::format("Fehler beim speichern der XML-Datei: \r\nFehler: {} {}", e.Number(),
                        e.Description()),
            0);
        WithdrawIndex(index);
        return false;
    }
    return true;
}

bool GdpduBuild::CheckFinishedMedium() {
    if (GdpduBuildEvents* listener = gdpdu_.Listener()) listener->Checking();
    MediumCheckOptions options;
    options.totals = &totals_;
    const std::vector<MediumFinding> findings = CheckMedium(NativePath(gdpdu_.Pfad), options);
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

bool GdpduBuild::PackHandover() {
    GdpduBuildEvents* listener = gdpdu_.Listener();
    if (listener) listener->Packing();
    try {
        const fs::path folder = NativePath(gdpdu_.Pfad);
        const fs::path zip = HandoverZipPath(gdpdu_.Pfad);
        std::vector<std::string> dataFiles;
        for (const TableTotal& table : totals_) dataFiles.push_back(table.url);
        const std::vector<PackedFile> files = HashMediumFiles(folder, PackageOrder(dataFiles));
        HandoverFacts facts;
        facts.supplier = supplier_;
        facts.location = location_;
        facts.period = DateTimeToText(gdpdu_.DatumVon) + " bis " + DateTimeToText(gdpdu_.DatumBis);
        facts.program = std::string("NorvikExport ") + NORVIK_EXPORT_VERSION;
        facts.tables = totals_;
        for (const PackedFile& file : files) facts.files.emplace_back(file.sum.name, file.size);
        facts.check = checkLines_;
        PackingFollower follower(listener, services_);
        WriteHandoverZip(folder, files, HandoverRecordBytes(facts), zip, &follower);
        zipPath_ = zip.string();
        WriteProtocolLine(state_, services_, kZipWritten + zipPath_);
        // A listener names it in the final message.
        if (!listener) services_.Messages().ShowText(kZipWritten + zipPath_, 4);
        return true;
    } catch (const VbError& e) {
        const std::string text = CancelRequested()
                                     ? kZipCancelled
                                     : "Fehler beim Packen der ZIP-Datei: " + e.Description();
        WriteProtocolLine(state_, services_, text);
        services_.Messages().ShowText(text, 0);
        return false;
    }
}

void GdpduBuild::WithdrawIndex(StagedIndex& index) {
    try {
        if (index.Withdraw()) WriteProtocolLine(state_, services_, kEarlierIndexRemoved);
    } catch (const VbError& e) {
        const std::string text = kEarlierIndexKept + e.Description();
        WriteProtocolLine(state_, services_, text);
        services_.Messages().ShowText(text, 0);
    }
}

int32_t GdpduBuild::CopyDTD() {
    try {
        const std::string source = WithTrailingSeparator(state_.exportPath) + kGdpduDtdName;
        const std::string destination = WithTrailingSeparator(gdpdu_.Pfad) + kGdpduDtdName;
        const fs::path from = NativePath(source), to = NativePath(destination);
        std::error_code ec;
        if (!fs::is_regular_file(from, ec)) throw PathError(kErrFileNotFound, source);
        if (!fs::is_directory(to.parent_path(), ec))
            throw PathError(kErrPathNotFound, WithTrailingSeparator(gdpdu_.Pfad));
        if (fs::exists(to, ec) && fs::equivalent(from, to, ec)) return 0;
        CopyFileGuarded(source, destination);
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
