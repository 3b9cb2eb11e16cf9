#pragma once
// The export dialog "Datenexport": choice of a definition, output file, switches, criteria, and
// the start of a run in the progress window. A shell over ExportForm.

#include <memory>

#include "forms/export_form.h"
#include "ui/host_dialog.h"
#include "ui/key_handler.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace norvik::ui {

class Selection;

class FrmExport : public HostDialog {
  public:
    // Loads the dialog on the given state and services.
    FrmExport(QWidget* owner, ModuleState& state, HostServices& services);
    ~FrmExport() override;

    // The dialog's logic.
    ExportForm& Form() { return *form_; }
    // Loads the dialog afresh, as when it is opened again after closing: a new engine, the stored
    // protocol switch, the list filled on the next activation.
    void Load();
    // Shows the logic's state in the controls.
    void Sync();
    // The choice of a definition by its display name.
    void LoadSchema(const QString& displayName);
    // OK or F9: checks, then runs the export in the progress window.
    void ExportData();
    // "Eigenschaften": the parameter editor of the chosen definition.
    void ShowProperties();
    // "...": asks for the output file.
    void ChooseFileName();

    QComboBox* cboSchema;
    QLineEdit* txtFileName;
    QPushButton* cmdFileName;
    QCheckBox* chkAnfuegen;
    QCheckBox* chkProtokoll;
    QGroupBox* fraSelection;
    Selection* Selection1;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdOptions;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls();
    void ConnectControls();

    ModuleState& state_;
    HostServices& services_;
    std::unique_ptr<ExportForm> form_;
    KeyHandler keyhandler_;
    KeyPreview keyPreview_;
};

}  // namespace norvik::ui
