#include "ui/frm_export.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>

#include "ui/file_dialog.h"
#include "ui/form_controls.h"
#include "ui/frm_exp_progress.h"
#include "ui/frm_properties.h"
#include "ui/qt_host_messages.h"
#include "ui/selection_widget.h"
#include "ui/twips.h"

namespace norvik::ui {

FrmExport::FrmExport(QWidget* owner, ModuleState& state, HostServices& services)
    : HostDialog(owner),
      state_(state),
      services_(services),
      form_(std::make_unique<ExportForm>(state, services)),
      keyPreview_(this, keyhandler_) {
    setWindowTitle("Datenexport");
    setWindowIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    FixTwipsSize(this, 7245, 5535);
    BuildControls();
    ConnectControls();
    ConnectDialogKeys(
        keyhandler_, this, [this] { ExportData(); }, [this] { close(); });
    Sync();
}

FrmExport::~FrmExport() = default;

void FrmExport::BuildControls() {
    cboSchema = new QComboBox(this);
    cboSchema->setToolTip("Auswahl der Exportspezifikation.");
    PlaceTwips(cboSchema, 1560, 60, 5595, 315);
    MakeCaption(this, "&Exportspezifikation:", 90, 120, 1365, 195)->setBuddy(cboSchema);
    txtFileName = new QLineEdit(this);
    txtFileName->setToolTip("Auswahl des Dateinamens.");
    PlaceTwips(txtFileName, 1560, 450, 5295, 285);
    cmdFileName = MakeButton(this, "...", "Auswahl des Dateinamens.", 6870, 450, 285, 285);
    MakeCaption(this, "&Dateiname:", 90, 480, 810, 195)->setBuddy(txtFileName);
    chkAnfuegen = new QCheckBox("An vorhandene Datei an&fügen", this);
    chkAnfuegen->setToolTip(
        "Fügt die zu exportierenden Daten an das Dateiende einer bestehenden Datei an.");
    PlaceTwips(chkAnfuegen, 1560, 810, 2535, 195);
    chkProtokoll = new QCheckBox("&Protokoll erzeugen", this);
    chkProtokoll->setToolTip("Erzeugt ein Protokolleintrag.");
    PlaceTwips(chkProtokoll, 4260, 810, 2475, 195);
    fraSelection = new QGroupBox("A&uswahl nach:", this);
    PlaceTwips(fraSelection, 60, 1080, 7125, 3975);
    Selection1 = new Selection(form_->Selection(), fraSelection);
    Selection1->setToolTip("Selektionskriterien");
    PlaceTwips(Selection1, 120, 240, 6885, 3675);
    cmdOK = MakeButton(this, "&OK", "Daten exportieren", 4920, 5130, 1100, 345);
    cmdCancel = MakeButton(this, "&Abbrechen", "Vorgang Abbrechen", 6090, 5130, 1100, 345);
    cmdOptions = MakeButton(this, "E&igenschaften", "Eigenschaften anzeigen", 60, 5130, 1215, 345);

    QWidget* order[] = {cboSchema,  txtFileName, cmdFileName, chkAnfuegen, chkProtokoll,
                        Selection1, cmdOK,       cmdCancel,   cmdOptions};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    Selection1->SetTabNeighbours(chkProtokoll, cmdOK);
}

void FrmExport::Load() {
    auto fresh = std::make_unique<ExportForm>(state_, services_);
    Selection1->SetModel(fresh->Selection());
    form_ = std::move(fresh);
    Sync();
}

void FrmExport::ConnectControls() {
    connect(cboSchema, &QComboBox::activated, this,
            [this](int index) { LoadSchema(cboSchema->itemText(index)); });
    connect(txtFileName, &QLineEdit::textChanged, this,
            [this](const QString& text) { form_->controls.fileName = text.toStdString(); });
    connect(chkAnfuegen, &QCheckBox::toggled, this,
            [this](bool on) { form_->controls.appendChecked = on; });
    connect(chkProtokoll, &QCheckBox::toggled, this,
            [this](bool on) { form_->controls.protocolChecked = on; });
    connect(cmdFileName, &QPushButton::clicked, this, [this] { ChooseFileName(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { ExportData(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { close(); });
    connect(cmdOptions, &QPushButton::clicked, this, [this] { ShowProperties(); });
}

void FrmExport::Sync() {
    const ExportControls& c = form_->controls;
    const QSignalBlocker blockCombo(cboSchema), blockFile(txtFileName), blockAppend(chkAnfuegen),
        blockProtocol(chkProtokoll);
    if (cboSchema->count() != static_cast<int>(c.schemaList.size())) {
        cboSchema->clear();
        for (const std::string& name : c.schemaList)
            cboSchema->addItem(QString::fromStdString(name));
        cboSchema->setCurrentIndex(-1);
    }
    txtFileName->setText(QString::fromStdString(c.fileName));
    txtFileName->setEnabled(c.fileNameEnabled);
    cmdFileName->setEnabled(c.fileNameEnabled);
    chkAnfuegen->setChecked(c.appendChecked);
    chkAnfuegen->setEnabled(c.appendEnabled);
    chkProtokoll->setChecked(c.protocolChecked);
    chkProtokoll->setEnabled(c.protocolEnabled);
    cmdOK->setEnabled(c.okEnabled);
    cmdOptions->setEnabled(c.optionsEnabled);
    Selection1->Sync();
}

void FrmExport::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    form_->Activate();
    Sync();
}

void FrmExport::LoadSchema(const QString& displayName) {
    form_->LoadSchema(displayName.toStdString());
    Sync();
}

void FrmExport::ExportData() {
    const MessageOwner owner(this);
    const bool start = form_->ExportData();
    Sync();
    if (!start) return;
    FrmExpProgress progress(this, services_);
    form_->ShowProgress(progress.Form());
    progress.Refresh();
    progress.exec();
}

void FrmExport::ShowProperties() {
    FrmProperties properties(nullptr, form_->PropertiesFile(), state_, services_);
    properties.exec();
    form_->ApplyParameters(properties.Rows().Rows());
}

void FrmExport::ChooseFileName() {
    const auto [folder, name] = form_->FileQuestionStart();
    form_->ChooseFile(FileDialog().SelectFile(folder, name, "Dateiname", "", "*.*", "", this));
    Sync();
}

}  // namespace norvik::ui
