#pragma once
// The GDPdU dialog "Datenträgerüberlassung Finanzamt": profile, output folder, period and tables,
// and the build of the data medium. A shell over GdpduForm.

#include <functional>
#include <memory>

#include "forms/gdpdu_form.h"
#include "ui/date_field.h"
#include "ui/host_dialog.h"
#include "ui/key_handler.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace norvik::ui {

class FrmGdpdu : public HostDialog {
  public:
    // Loads the dialog on the given state and services; today as in GdpduForm.
    FrmGdpdu(QWidget* owner, ModuleState& state, HostServices& services,
             std::function<DateTime()> today = {});
    ~FrmGdpdu() override;

    // The dialog's logic.
    GdpduForm& Form() { return *form_; }
    // Loads the dialog afresh, as when it is opened again after closing: a new profile object,
    // and on the next activation the default period, the list and the first profile.
    void Load();
    // Shows the logic's state in the controls.
    void Sync();
    // The choice of a profile by its display name.
    void LoadSchema(const QString& displayName);
    // OK or F9: builds the medium in a progress window, then closes, unless the period or the
    // folder was refused.
    void ExportData();
    // "...": asks for the output folder.
    void ChooseFolder();
    // The two picture buttons: ticks or unticks every table.
    void SelectAll(bool selected);

    QComboBox* cboSchema;
    QLineEdit* txtPath;
    QPushButton* cmdFileName;
    QGroupBox* Frame1;
    DateField* tdbDateVon;
    DateField* tdbDateBis;
    QListWidget* SelList;
    QPushButton* cmdSelect;
    QPushButton* cmdUnselect;
    QCheckBox* chkZip;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls();
    void ConnectControls();
    void ReadTicks();
    QListWidgetItem* pressed_ = nullptr;           // the line a click began on
    Qt::CheckState stateAtPress_ = Qt::Unchecked;  // and its tick then

    ModuleState& state_;
    HostServices& services_;
    std::function<DateTime()> today_;
    std::unique_ptr<GdpduForm> form_;
    KeyHandler keyhandler_;
    KeyPreview keyPreview_;
};

}  // namespace norvik::ui
