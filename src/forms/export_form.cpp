#include "forms/export_form.h"

#include "common/cp1252_case.h"
#include "common/data_path.h"
#include "common/file_io.h"
#include "common/vb_error.h"
#include "definition/yes_no_keys.h"
#include "engine/export_start.h"
#include "forms/build_sel.h"
#include "forms/entry_checks.h"
#include "host/file_list.h"
#include "host/stored_choice.h"
#include "selection/criterion_condition.h"
#include "selection/selected_period.h"

namespace norvik {
namespace {

// The dialog's small steps go on after a failing action, as the classic dialog did.
template <typename Fn>
void SkipOnError(Fn&& action) {
    try {
        action();
    } catch (const std::exception&) {
    }
}

const char* const kSection = "TQBExport";
const char* const kProtocolKey = "ProtokollErzeugen";

}  // namespace

ExportForm::ExportForm(ModuleState& state, HostServices& services)
    : state_(state), services_(services), engine_(state, services), selection_(services) {
    SkipOnError([&] {
        controls.protocolChecked =
            state_.Settings().ReadValue(kSection, kProtocolKey, state_.userName, "1") == "1";
    });
}

void ExportForm::Activate() {
    if (activated_) return;
    FillSchemaList();
    selection_.Enabled = false;
    activated_ = true;
}

void ExportForm::FillSchemaList() {
    controls.schemaList.clear();
    SkipOnError([&] {
        GetFileList(state_, services_.Messages(), cTQExport);
        for (int32_t i = 0; i < state_.fileCount; ++i)
            controls.schemaList.push_back(state_.fileList[static_cast<size_t>(i)][0]);
    });
}

std::string ExportForm::FileOf(const std::string& displayName) const {
    return FileOfDisplayName(state_, displayName);
}

void ExportForm::LoadSchema(const std::string& displayName) {
    controls.schema = displayName;
    SkipOnError([&] { engine_.LoadFile(FileOf(displayName)); });
    // Shown in the platform's form: "%DataPath%\kunden.csv" of a Windows definition opens the
    // same file either way, and mixed separators only confuse the user.
    SkipOnError([&] { controls.fileName = NativePath(Definition().Dateiname).string(); });
    SkipOnError([&] { controls.appendChecked = FlagsOf(Definition()).append; });
    SkipOnError([&] { controls.appendEnabled = FlagsOf(Definition()).appendChangeable; });
    EnableControls();
    BuildSel();
}

void ExportForm::EnableControls() {
    controls.okEnabled = controls.fileNameEnabled = controls.protocolEnabled = true;
    selection_.Enabled = true;
    SkipOnError([&] { controls.optionsEnabled = Definition().Parameter->Count() >= 1; });
}

void ExportForm::BuildSel() {
    try {
        BuildSelection(Definition(), state_.session, selection_);
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), "frmExport", "BuildSel", e);
    }
}

bool ExportForm::ExportData() {
    if (!engine_.ExpDef) {
        SkipOnError([&] {
            state_.Settings().WriteValue(kSection, kProtocolKey,
                                         controls.protocolChecked ? "1" : "0", state_.userName);
        });
        Warn(kChooseDefinitionMessage);
        return false;
    }
    try {
        ExportChoice choice{
            controls.protocolChecked, controls.appendChecked, {}, controls.fileName, {}, {}};
        try {
            choice.condition = selection_.Condition();
            const DatePeriod period = SelectedPeriod(selection_.Criteria);
            choice.periodFrom = period.from;
            choice.periodTo = period.to;
        } catch (const EntryError& e) {
            StoreSwitches();
            Warn(e.Description());
            return false;
        } catch (const std::exception&) {
            // A refused entry is a refused start: the switches are stored all the same.
            StoreSwitches();
            throw;
        }
        // Mistakes that would run the statement for nothing are warnings before anything runs.
        std::optional<std::string> mistake = ReversedRangeWarning(selection_.Criteria);
        if (!mistake) mistake = OutputFileWarning(choice.fileName);
        if (mistake) {
            StoreSwitches();
            Warn(*mistake);
            return false;
        }
        return PrepareExport(engine_, choice);
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), "frmExport", "ExportData", e);
        return false;
    }
}

void ExportForm::ShowProgress(ProgressForm& progress) {
    progress.schnittstelle = Definition().Schnittstelle;
    progress.datei = Definition().Dateiname;
    progress.SetExport(engine_);
}

void ExportForm::ChooseFile(const std::string& answer) {
    if (!answer.empty()) controls.fileName = answer;
}

std::pair<std::string, std::string> ExportForm::FileQuestionStart() const {
    const std::filesystem::path file =
        NativePath(ReplaceDataPath(controls.fileName, state_.commonUserDataFolder));
    if (controls.fileName.empty()) return {};
    return {file.parent_path().string(), file.filename().string()};
}

void ExportForm::ApplyParameters(const std::vector<ParameterRow>& rows) {
    if (!engine_.ExpDef) return;
    for (const auto& param : *engine_.ExpDef->Parameter)
        for (const ParameterRow& row : rows)
            if (LowerCase(row.key) == LowerCase(param->Name)) param->Value = row.value;
}

TQExportDef& ExportForm::Definition() const {
    if (!engine_.ExpDef) throw VbError(kErrObjectNotSet);
    return *engine_.ExpDef;
}

void ExportForm::Warn(const std::string& text) const {
    services_.Messages().ShowMessage(text, 3, kButtonsOk, true);
}

void ExportForm::StoreSwitches() {
    StoreChoice(state_, services_, kSection, kProtocolKey, controls.protocolChecked ? "1" : "0",
                state_.userName);
    Definition().Anfügen = controls.appendChecked ? "J" : "N";
}

}  // namespace norvik
