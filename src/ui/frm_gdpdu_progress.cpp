#include "ui/frm_gdpdu_progress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include "ui/form_controls.h"
#include "ui/host_dialog.h"
#include "ui/twips.h"

namespace norvik::ui {
FrmGdpduProgress::FrmGdpduProgress(QWidget* owner, HostServices& services)
    : QDialog(owner), services_(services) {
    setWindowTitle("GDPdU - Datenausgabe");
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));
    setWindowModality(Qt::WindowModal);
    FixTwipsSize(this, 4680, 1980);

    auto* image = new QLabel(this);
    PlaceTwips(image, 60, 60, 570, 495);
    image->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(32, 32));
    lblTable = new QLabel("Daten werden ausgegeben...", this);
    PlaceTwips(lblTable, 720, 60, 3855, 495);
    lblTable->setWordWrap(true);
    lblProgress = new QLabel(this);
    PlaceTwips(lblProgress, 60, 810, 4485, 255);
    progressBar = new QProgressBar(this);
    PlaceTwips(progressBar, 60, 1110, 4515, 345);
    progressBar->setRange(0, 100);
    cmdCancel =
        MakeButton(this, "&Abbrechen", "Datenausgabe abbrechen; der Ordner bleibt unverändert",
                   3390, 1560, 1185, 345);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { form_.Cancel(); });

    form_.started = [this] {
        show();
        CentreOver(this, parentWidget());
        Refresh();
    };
    form_.ended = [this] { hide(); };
    form_.stepped = [this] {
        Refresh();
        QCoreApplication::processEvents();
    };
    form_.changed = [this] {
        if (!form_.running) Refresh();
    };
    Refresh();
}

void FrmGdpduProgress::Refresh() {
    lblTable->setText(QString::fromStdString(form_.table));
    lblProgress->setText(QString::fromStdString(form_.progress));
    progressBar->setValue(form_.percent);
    cmdCancel->setEnabled(form_.running);
}

void FrmGdpduProgress::closeEvent(QCloseEvent* event) {
    // The build ends with its own message; until then the window stays.
    if (form_.running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void FrmGdpduProgress::keyPressEvent(QKeyEvent* event) {
    if (!PressFocusedButton(this, event)) QDialog::keyPressEvent(event);
}

void FrmGdpduProgress::reject() {
    if (!form_.running) QDialog::reject();
}

}  // namespace norvik::ui
