#pragma once
// The export dialog without the window: the list of definitions, the choice of one, the criteria
// it offers, the state of the controls, and the checks and hand-over before a run.

#include <string>
#include <vector>

#include "engine/tq_export.h"
#include "forms/parameter_rows.h"
#include "forms/progress_form.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "selection/selection_model.h"

namespace norvik {

// The warning when OK or F9 comes before a definition is chosen.
inline const char* const kChooseDefinitionMessage =
    "Bitte wählen Sie zuerst eine Exportspezifikation aus (Feld \"Exportspezifikation\").";

// The dialog's controls as the logic leaves them; the widget mirrors them and writes back what the
// user changes (schema, fileName, the two check boxes).
struct ExportControls {
    std::vector<std::string> schemaList;  // cboSchema: display names of the definitions
    std::string schema;                   // cboSchema's text: the chosen display name
    std::string fileName;                 // txtFileName: the output file
    bool fileNameEnabled = false;         // txtFileName and its "..." button
    bool appendChecked = false;           // chkAnfuegen
    bool appendEnabled = false;           // chkAnfuegen changeable
    bool protocolChecked = false;         // chkProtokoll
    bool protocolEnabled = false;         // chkProtokoll changeable
    bool okEnabled = false;               // cmdOK
    bool optionsEnabled = false;          // cmdOptions ("Eigenschaften")
};

class ExportForm {
  public:
    // Loads the dialog: a new engine and the stored protocol switch ("1" ticks it).
    ExportForm(ModuleState& state, HostServices& services);

    ExportControls controls;  // the controls' state

    // The criteria control's model (Selection1).
    SelectionModel& Selection() { return selection_; }
    // The dialog's engine (m_Export).
    TQExport& Export() { return engine_; }

    // First activation: fills the list and disables the criteria; later calls do nothing.
    void Activate();
    // Lists the definitions of the export folder into controls.schemaList, nothing chosen.
    void FillSchemaList();
    // The choice of a definition by display name: loads the file of the last list entry of exactly
    // that name, fills the file name and append box, enables the controls, builds the criteria.
    // Failing steps are skipped.
    void LoadSchema(const std::string& displayName);
    // The file of the last list entry whose display name is exactly the name, else empty.
    std::string FileOf(const std::string& displayName) const;
    // Enables the controls of a chosen definition; "Eigenschaften" only when it has parameters.
    void EnableControls();
    // The definition's selections as criteria; a failure is reported ("frmExport", "BuildSel").
    void BuildSel();
    // OK or F9: stores the protocol switch and the append switch, checks the selection and the
    // output folder (showing the message when one fails) and hands file and condition to the
    // engine. True when the run may start. Entry mistakes (no definition chosen, a criterion that
    // is no date or number, a range whose start lies after its end, an output name that is a
    // folder or lies under a file) are warnings naming the field; failures are reported
    // ("frmExport", "ExportData").
    bool ExportData();
    // Hands the prepared engine and the labels to the progress window (after ExportData).
    void ShowProgress(ProgressForm& progress);
    // The definition file the properties editor opens: the one of the chosen display name.
    std::string PropertiesFile() const { return FileOf(controls.schema); }
    // The answer of the file question: a non-empty one replaces the output file.
    void ChooseFile(const std::string& answer);
    // The folder and file name the file question starts with: those of the current output file.
    std::pair<std::string, std::string> FileQuestionStart() const;
    // Takes the values the properties editor saved into the loaded definition, so that the next
    // run uses them; the criteria entered stay.
    void ApplyParameters(const std::vector<ParameterRow>& rows);

  private:
    TQExportDef& Definition() const;
    void StoreSwitches();
    void Warn(const std::string& text) const;

    ModuleState& state_;
    HostServices& services_;
    TQExport engine_;
    SelectionModel selection_;
    bool activated_ = false;
};

}  // namespace norvik
