#include "ui/frm_exp_progress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "ui/host_dialog.h"
#include "ui/qt_host_messages.h"
#include "ui/run_follower.h"
#include "ui/twips.h"

namespace norvik::ui {
namespace {

QLabel* MakeLabel(QWidget* parent, const QString& text, int l, int t, int w, int h) {
    auto* label = new QLabel(text, parent);
    PlaceTwips(label, l, t, w, h);
    return label;
}

// A path too long for its label keeps its start and its file name.
void SetElidedText(QLabel* label, const std::string& text) {
    const QString full = QString::fromStdString(text);
    label->setText(label->fontMetrics().elidedText(full, Qt::ElideMiddle, label->width()));
    label->setToolTip(full);
}

}  // namespace

FrmExpProgress::FrmExpProgress(QWidget* owner, HostServices& services)
    : QDialog(owner), services_(services), form_(services) {
    setWindowTitle("Datenexport");
    setWindowIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    FixTwipsSize(this, 4680, 2580);

    auto* image = new QLabel(this);
    PlaceTwips(image, 60, 60, 570, 495);
    image->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(32, 32));
    lblInfo = MakeLabel(this, kProgressStartText, 720, 60, 3855, 495);
    lblInfo->setWordWrap(true);
    lblProgress = MakeLabel(this, "", 60, 810, 4485, 255);
    progressBar = new QProgressBar(this);
    PlaceTwips(progressBar, 60, 1110, 4515, 345);
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    MakeLabel(this, "Schnittstelle:", 60, 1530, 1275, 225);
    lblSchnittstelle = MakeLabel(this, "", 1440, 1530, 3135, 225);
    MakeLabel(this, "Ausgabedatei:", 60, 1800, 1275, 225);
    lblDatei = MakeLabel(this, "", 1440, 1800, 3135, 225);
    cmdOpen = new QPushButton("&Ordner öffnen", this);
    PlaceTwips(cmdOpen, 2130, 2160, 1185, 345);
    cmdClose = new QPushButton("&Schließen", this);
    PlaceTwips(cmdClose, 3390, 2160, 1185, 345);
    cmdCancel = new QPushButton("&Abbrechen", this);
    cmdCancel->setToolTip("Export abbrechen; die Ausgabedatei bleibt unverändert");
    PlaceTwips(cmdCancel, 870, 2160, 1185, 345);
    for (QPushButton* button : {cmdCancel, cmdOpen, cmdClose}) button->setAutoDefault(false);
    imgNotes_ = new QLabel(this);
    PlaceTwips(imgNotes_, 60, 2130, 570, 495);
    imgNotes_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    imgNotes_->hide();
    lblNotes = MakeLabel(this, "", 720, 2130, 3855, 495);
    lblNotes->setWordWrap(true);
    lblNotes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblNotes->hide();
    setTabOrder(progressBar, cmdCancel);
    setTabOrder(cmdCancel, cmdOpen);
    setTabOrder(cmdOpen, cmdClose);

    connect(cmdCancel, &QPushButton::clicked, this, [this] { form_.Cancel(); });
    connect(cmdOpen, &QPushButton::clicked, this, [this] { form_.OpenFolder(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { close(); });
    // Texts change per row; the widgets follow when the pump lets the window repaint.
    form_.changed = [this] {
        if (form_.CanClose()) Refresh();
    };
    Refresh();
}

void FrmExpProgress::ShowNotes() {
    if (form_.notes.empty() || lblNotes->isVisible()) return;
    lblNotes->setText(QString::fromStdString(form_.notes));
    const int height = std::max(lblNotes->heightForWidth(lblNotes->width()), imgNotes_->height());
    lblNotes->resize(lblNotes->width(), height);
    const int shift = lblNotes->y() + height + 8 - cmdClose->y();
    for (QPushButton* button : {cmdCancel, cmdOpen, cmdClose})
        button->move(button->x(), button->y() + shift);
    setFixedSize(width(), this->height() + shift);
    imgNotes_->show();
    lblNotes->show();
}

void FrmExpProgress::Refresh() {
    lblInfo->setText(QString::fromStdString(form_.info));
    lblProgress->setText(QString::fromStdString(form_.progress));
    progressBar->setValue(form_.percent);
    SetElidedText(lblSchnittstelle, form_.schnittstelle);
    SetElidedText(lblDatei, form_.datei);
    cmdOpen->setEnabled(form_.openEnabled);
    cmdClose->setEnabled(form_.closeEnabled);
    cmdCancel->setEnabled(form_.cancelEnabled);
    if (form_.CanClose()) ShowNotes();
    // While the run goes, Enter or Space stops it without a Tab first.
    if (form_.cancelEnabled && !focusWidget()) cmdCancel->setFocus();
    // Once the run is over, Return closes the window.
    if (form_.CanClose() && !cmdClose->isDefault()) {
        cmdClose->setDefault(true);
        cmdClose->setFocus();
    }
}

void FrmExpProgress::Run() {
    const MessageOwner owner(this);
    {
        const RunFollower follow(
            services_, this, [this] { Refresh(); },
            [this](bool on) {
                form_.StatementWaiting(on);
                Refresh();
            });
        Refresh();
        form_.Activate();
    }
    Refresh();
}

void FrmExpProgress::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (runQueued_) return;
    runQueued_ = true;
    // The run starts once the window is on the screen.
    QTimer::singleShot(0, this, [this] { Run(); });
}

void FrmExpProgress::closeEvent(QCloseEvent* event) {
    if (form_.CanClose())
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void FrmExpProgress::keyPressEvent(QKeyEvent* event) {
    if (!PressFocusedButton(this, event)) QDialog::keyPressEvent(event);
}

void FrmExpProgress::reject() {
    if (form_.CanClose()) QDialog::reject();
}

}  // namespace norvik::ui
