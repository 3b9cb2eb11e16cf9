#include "ui/frm_gdpdu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>

#include "ui/date_field.h"
#include "ui/file_dialog.h"
#include "ui/form_controls.h"
#include "ui/frm_gdpdu_progress.h"
#include "ui/qt_host_messages.h"
#include "ui/twips.h"

namespace norvik::ui {
namespace {

// The folder question's browse options (folders only, new folder button), passed through.
constexpr int32_t kFolderFlags = 65;

}  // namespace

FrmGdpdu::FrmGdpdu(QWidget* owner, ModuleState& state, HostServices& services,
                   std::function<DateTime()> today)
    : HostDialog(owner),
      state_(state),
      services_(services),
      today_(std::move(today)),
      form_(std::make_unique<GdpduForm>(state, services, today_)),
      keyPreview_(this, keyhandler_) {
    setWindowTitle("Datenträgerüberlassung Finanzamt");
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));
    FixTwipsSize(this, 7260, 4635);
    BuildControls();
    ConnectControls();
    ConnectDialogKeys(
        keyhandler_, this, [this] { ExportData(); }, [this] { close(); });
    Sync();
}

FrmGdpdu::~FrmGdpdu() = default;

void FrmGdpdu::BuildControls() {
    QLabel* label1 = MakeCaption(this, "&Spezifikation:", 90, 120, 1035, 195);
    cboSchema = new QComboBox(this);
    label1->setBuddy(cboSchema);
    cboSchema->setToolTip("Auswahl des Ausgabeschemas.");
    PlaceTwips(cboSchema, 1170, 60, 5985, 315);
    QLabel* label2 = MakeCaption(this, "&Pfad:", 90, 480, 375, 195);
    txtPath = new QLineEdit(this);
    label2->setBuddy(txtPath);
    txtPath->setToolTip("Auswahl des Ausgabepfades.");
    PlaceTwips(txtPath, 1170, 450, 5685, 285);
    cmdFileName = MakeButton(this, "...", "Auswahl des Ausgabepfades.", 6870, 450, 285, 285);

    Frame1 = new QGroupBox("Auswahl:", this);
    PlaceTwips(Frame1, 90, 810, 7065, 3345);
    QLabel* label3 = MakeCaption(Frame1, "Zeitraum &von:", 120, 330, 975, 225);
    tdbDateVon = MakeDateField(Frame1, "Auswahl des Ausgabezeitraums", 1170, 270, 1275, 315);
    label3->setBuddy(tdbDateVon);
    QLabel* label4 = MakeCaption(Frame1, "&bis:", 2520, 330, 315, 225);
    tdbDateBis = MakeDateField(Frame1, "Auswahl des Ausgabezeitraums", 2850, 270, 1275, 315);
    label4->setBuddy(tdbDateBis);
    for (DateField* field : {tdbDateVon, tdbDateBis})
        field->accepts = [](const QString& text) {
            return PeriodDate(text.toStdString()).has_value();
        };
    SelList = new QListWidget(Frame1);
    // The lines are ticked, not selected: a tick shows what goes onto the medium.
    SelList->setSelectionMode(QAbstractItemView::NoSelection);
    SelList->setToolTip("Auswahl der Ausgabedateien");
    PlaceTwips(SelList, 120, 690, 6285, 2535);
    cmdSelect = MakeButton(Frame1, "", "Alles Auswählen", 6450, 690, 525, 255);
    cmdSelect->setShortcut(QKeySequence("Alt+L"));
    cmdSelect->setIcon(CheckBoxesIcon(cmdSelect, true));
    cmdUnselect = MakeButton(Frame1, "", "Auswahl aufheben", 6450, 960, 525, 255);
    cmdUnselect->setShortcut(QKeySequence("Alt+H"));
    cmdUnselect->setIcon(CheckBoxesIcon(cmdUnselect, false));

    chkZip = new QCheckBox("Zusätzlich als &ZIP-Datei für die Übergabe packen", this);
    chkZip->setToolTip(
        "Legt neben dem Ordner eine ZIP-Datei mit dem geprüften Datenträger, einem "
        "Übergabeprotokoll und den SHA-256-Prüfsummen aller Dateien ab.");
    PlaceTwips(chkZip, 90, 4260, 4710, 285);
    cmdOK = MakeButton(this, "&OK", "Daten ausgeben", 4890, 4230, 1100, 345);
    cmdCancel = MakeButton(this, "&Abbrechen", "Vorgang abbrechen", 6060, 4230, 1100, 345);

    QWidget* order[] = {cboSchema, txtPath,     cmdFileName, tdbDateVon, tdbDateBis, SelList,
                        cmdSelect, cmdUnselect, chkZip,      cmdOK,      cmdCancel};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void FrmGdpdu::ConnectControls() {
    connect(cboSchema, &QComboBox::activated, this,
            [this](int index) { LoadSchema(cboSchema->itemText(index)); });
    connect(txtPath, &QLineEdit::textChanged, this,
            [this](const QString& text) { form_->controls.path = text.toStdString(); });
    connect(tdbDateVon, &QLineEdit::textChanged, this,
            [this] { form_->controls.dateVon = DateText(tdbDateVon); });
    connect(tdbDateBis, &QLineEdit::textChanged, this,
            [this] { form_->controls.dateBis = DateText(tdbDateBis); });
    connect(SelList, &QListWidget::itemChanged, this, [this] { ReadTicks(); });
    // A click anywhere on a line ticks it, as on its box.
    connect(SelList, &QListWidget::itemPressed, this, [this](QListWidgetItem* item) {
        pressed_ = item;
        stateAtPress_ = item->checkState();
    });
    connect(SelList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item == pressed_ && item->checkState() == stateAtPress_)
            item->setCheckState(stateAtPress_ == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        pressed_ = nullptr;
    });
    connect(chkZip, &QCheckBox::toggled, this,
            [this](bool checked) { form_->controls.handoverZip = checked; });
    connect(cmdFileName, &QPushButton::clicked, this, [this] { ChooseFolder(); });
    connect(cmdSelect, &QPushButton::clicked, this, [this] { SelectAll(true); });
    connect(cmdUnselect, &QPushButton::clicked, this, [this] { SelectAll(false); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { ExportData(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { close(); });
}

void FrmGdpdu::Load() {
    form_ = std::make_unique<GdpduForm>(state_, services_, today_);
    Sync();
}

void FrmGdpdu::Sync() {
    const GdpduControls& c = form_->controls;
    const QSignalBlocker blockCombo(cboSchema), blockPath(txtPath), blockVon(tdbDateVon),
        blockBis(tdbDateBis), blockList(SelList), blockZip(chkZip);
    if (cboSchema->count() != static_cast<int>(c.schemaList.size())) {
        cboSchema->clear();
        for (const std::string& name : c.schemaList)
            cboSchema->addItem(QString::fromStdString(name));
    }
    cboSchema->setCurrentIndex(cboSchema->findText(QString::fromStdString(c.schema)));
    txtPath->setText(QString::fromStdString(c.path));
    SetDateText(tdbDateVon, c.dateVon);
    SetDateText(tdbDateBis, c.dateBis);
    SelList->clear();
    pressed_ = nullptr;
    for (const GdpduTableLine& line : c.tables) {
        auto* item = new QListWidgetItem(QString::fromStdString(line.caption), SelList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(line.selected ? Qt::Checked : Qt::Unchecked);
    }
    for (QWidget* w : {static_cast<QWidget*>(txtPath), static_cast<QWidget*>(cmdFileName)})
        w->setEnabled(c.pathEnabled);
    for (QWidget* w : {static_cast<QWidget*>(SelList), static_cast<QWidget*>(cmdSelect),
                       static_cast<QWidget*>(cmdUnselect)})
        w->setEnabled(c.tablesEnabled);
    chkZip->setChecked(c.handoverZip);
    chkZip->setEnabled(c.okEnabled);
    cmdOK->setEnabled(c.okEnabled);
}

void FrmGdpdu::ReadTicks() {
    std::vector<GdpduTableLine>& lines = form_->controls.tables;
    for (int i = 0; i < SelList->count() && i < static_cast<int>(lines.size()); ++i)
        lines[static_cast<size_t>(i)].selected = SelList->item(i)->checkState() == Qt::Checked;
}

void FrmGdpdu::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) CentreOnScreen(this);
    form_->Activate();
    Sync();
}

void FrmGdpdu::LoadSchema(const QString& displayName) {
    form_->LoadSchema(displayName.toStdString());
    Sync();
}

void FrmGdpdu::ExportData() {
    // The summary comes after the progress window hid: it belongs here, titled and placed so.
    const MessageOwner owner(this);
    FrmGdpduProgress progress(this, services_);
    const MessageOwner whileShown(&progress);
    form_->Gdpdu().Advise(&progress.Form());
    const GdpduOk result = progress.Follow([this] { return form_->ExportData(); });
    form_->Gdpdu().Advise(nullptr);
    Sync();
    if (result != GdpduOk::PeriodRefused && result != GdpduOk::FolderRefused &&
        result != GdpduOk::TablesRefused)
        close();
}

void FrmGdpdu::ChooseFolder() {
    int32_t flags = kFolderFlags;
    form_->ChooseFolder(FileDialog().SelectFolder(0, "Bitte wählen Sie einen Ausgabepfad aus.", 0,
                                                  flags, this, form_->controls.path));
    Sync();
}

void FrmGdpdu::SelectAll(bool selected) {
    form_->SelectAll(selected);
    Sync();
}

}  // namespace norvik::ui
