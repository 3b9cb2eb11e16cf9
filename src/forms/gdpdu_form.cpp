#include "forms/gdpdu_form.h"

#include <algorithm>
#include <filesystem>
#include <span>

#include "common/file_io.h"
#include "common/vb_convert.h"
#include "common/vb_parse.h"
#include "gdpdu/gdpdu_text.h"
#include "host/file_list.h"
#include "host/stored_choice.h"

namespace norvik {
namespace {

const char* const kClass = "frmGDPdU";
// The per-user remembered choice to pack a profile's medium, keyed by its interface name.
const char* const kZipSection = "ZipUebergabe";
const int32_t kWarning = 3;

DateTime SystemToday() {
    return ParseGermanDate(TodayText()).value_or(DateTime{});
}

DateTime Day(int32_t year, int32_t month, int32_t day) {
    return DateTime{year, month, day, 0, 0, 0};
}

}  // namespace

std::optional<DateTime> PeriodDate(const std::string& text) {
    std::optional<DateTime> date = ParseGermanDate(text);
    if (!date || !date->IsMidnight() || date->IsZeroDate()) return std::nullopt;
    return date;
}

void StoreTableSelection(ModuleState& state, HostServices& services,
                         const std::string& schnittstelle, const TQGxpFile& table) {
    StoreChoice(state, services, "TQBExport", schnittstelle + "_" + table.Caption,
                table.Selected ? "1" : "0", state.userName);
}

GdpduForm::GdpduForm(ModuleState& state, HostServices& services, std::function<DateTime()> today)
    : state_(state),
      services_(services),
      today_(today ? std::move(today) : SystemToday),
      gdpdu_(state, services) {}

void GdpduForm::Activate() {
    if (activated_) return;
    SetDefaultPeriod();
    FillSchemaList();
    if (!controls.schemaList.empty()) LoadSchema(controls.schemaList.front());
    activated_ = true;
}

void GdpduForm::SetDefaultPeriod() {
    const int32_t year = today_().year;
    controls.dateVon = DateTimeToText(Day(year, 1, 1));
    controls.dateBis = DateTimeToText(Day(year, 12, 31));
}

void GdpduForm::FillSchemaList() {
    controls.schemaList.clear();
    // An unreadable folder is reported by the listing; the dialog then stays empty.
    const int32_t count = GetFileList(state_, services_.Messages(), cTQGDPdU);
    for (const auto& row : std::span(state_.fileList).first(std::min<size_t>(count, kFileListRows)))
        controls.schemaList.push_back(row[0]);
}

std::string GdpduForm::FileOf(const std::string& displayName) const {
    return FileOfDisplayName(state_, displayName);
}

void GdpduForm::LoadSchema(const std::string& displayName) {
    controls.schema = displayName;
    try {
        gdpdu_.LoadFile(FileOf(displayName));
        // Shown in the platform's form, as the folder dialog would give it back.
        controls.path = gdpdu_.Pfad.empty() ? "" : NativePath(gdpdu_.Pfad).string();
        controls.handoverZip = services_.UserSettings().Get("TQBExport", kZipSection,
                                                            gdpdu_.Schnittstelle, "0") == "1";
        RefreshSelList();
        EnableControls();
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), kClass, "GetData", e);
    }
}

void GdpduForm::RefreshSelList() {
    controls.tables.clear();
    try {
        for (const auto& table : *gdpdu_.GxpFiles)
            if (!table->Caption.empty() && !LineOf(table->Caption))
                controls.tables.push_back({table->Caption, false});
        ShowSelection();
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), kClass, "RefreshSelList", e);
    }
}

void GdpduForm::ShowSelection() {
    for (const auto& table : *gdpdu_.GxpFiles)
        for (GdpduTableLine& line : controls.tables)
            if (line.caption == table->Caption) line.selected = table->Selected;
}

void GdpduForm::EnableControls() {
    controls.okEnabled = controls.pathEnabled = controls.tablesEnabled = true;
}

void GdpduForm::SelectAll(bool selected) {
    for (GdpduTableLine& line : controls.tables) line.selected = selected;
}

void GdpduForm::ChooseFolder(const std::string& answer) {
    if (!answer.empty()) controls.path = answer;
}

GdpduOk GdpduForm::ExportData() {
    try {
        std::optional<DateTime> von = PeriodDate(controls.dateVon);
        std::optional<DateTime> bis = PeriodDate(controls.dateBis);
        if (RefusePeriod(von, bis)) return GdpduOk::PeriodRefused;
        if (std::none_of(controls.tables.begin(), controls.tables.end(),
                         [](const GdpduTableLine& line) { return line.selected; })) {
            services_.Messages().ShowMessage(kNoTableMessage, kWarning, kButtonsOk, true);
            return GdpduOk::TablesRefused;
        }

        const std::string folder = NativePath(controls.path).string();
        const std::string prefix = WithTrailingSeparator(folder);
        for (const auto& table : *gdpdu_.GxpFiles) {
            const GdpduTableLine* line = LineOf(table->Caption);
            if (!line) continue;
            table->Selected = line->selected;
            StoreTableSelection(state_, services_, gdpdu_.Schnittstelle, *table);
            if (table->Export->ExpDef)
                table->Export->ExpDef->Dateiname =
                    prefix + FileNameOnly(table->Export->ExpDef->Dateiname);
        }

        services_.UserSettings().Save("TQBExport", kZipSection, gdpdu_.Schnittstelle,
                                      controls.handoverZip ? "1" : "0");

        if (!EnsureFolder(folder)) return GdpduOk::FolderRefused;
        gdpdu_.HandoverZip = controls.handoverZip;
        gdpdu_.Pfad = folder;
        gdpdu_.DatumVon = *von;
        gdpdu_.DatumBis = *bis;
        gdpdu_.BuildGDPdU();
        return GdpduOk::Built;
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), kClass, "ExportData", e);
        return GdpduOk::NotBuilt;
    }
}

bool GdpduForm::EnsureFolder(const std::string& folder) {
    std::error_code ec;
    if (folder.empty()) {
        services_.Messages().ShowMessage(
            "Der angegebene Pfad existiert nicht! Bitte geben Sie im "
            "Feld \"Pfad\" einen Ausgabeordner an.",
            kWarning, kButtonsOk, true);
        return false;
    }
    if (std::filesystem::is_directory(folder, ec)) return true;
    if (std::filesystem::exists(folder, ec)) {
        services_.Messages().ShowMessage("Der Pfad " + folder +
                                             " ist eine Datei, kein Ordner. Bitte geben Sie im "
                                             "Feld \"Pfad\" einen Ausgabeordner an.",
                                         kWarning, kButtonsOk, true);
        return false;
    }
    const int32_t answer = services_.Messages().ShowMessage(
        "Der Ordner " + folder + " existiert nicht.\nSoll er angelegt werden?", kWarning,
        kButtonsYesNo, true);
    if (answer != kAnswerYes) return false;
    std::filesystem::create_directories(folder, ec);
    if (!ec) return true;
    services_.Messages().ShowMessage("Der Ordner " + folder + " konnte nicht angelegt werden: " +
                                         FileError(ec.value(), folder).Description(),
                                     kWarning, kButtonsOk, true);
    return false;
}

bool GdpduForm::RefusePeriod(const std::optional<DateTime>& von,
                             const std::optional<DateTime>& bis) {
    std::string reason;
    if (!von || !bis)
        reason = std::string(
                     "Bitte geben Sie den Zeitraum mit gültigen Daten (TT.MM.JJJJ) an! "
                     "Das Feld \"") +
                 (!von ? "Zeitraum von" : "bis") + "\" enthält kein gültiges Datum.";
    else if (von->DaySerial() > bis->DaySerial())
        reason = "Der Zeitraum beginnt nach seinem Ende: \"von\" (" + DateTimeToText(*von) +
                 ") liegt nach \"bis\" (" + DateTimeToText(*bis) + ")!";
    if (reason.empty()) return false;
    services_.Messages().ShowMessage(reason, kWarning, kButtonsOk, true);
    return true;
}

const GdpduTableLine* GdpduForm::LineOf(const std::string& caption) const {
    for (const GdpduTableLine& line : controls.tables)
        if (line.caption == caption) return &line;
    return nullptr;
}

}  // namespace norvik
