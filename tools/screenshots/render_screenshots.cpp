// Renders the dialogs in their typical states into PNG files: norvik-screenshots HOME OUTDIR.
// HOME is a demo home (norvik-export --home HOME demo).

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <iostream>

#include "host/cancel_request.h"
#include "host/host_services.h"
#include "standalone/cli_context.h"
#include "ui/file_dialog.h"
#include "ui/frm_exp_progress.h"
#include "ui/frm_export.h"
#include "ui/frm_gdpdu.h"
#include "ui/frm_gdpdu_progress.h"
#include "ui/frm_properties.h"
#include "ui/german_translations.h"
#include "ui/qt_host_messages.h"
#include "ui/selection_widget.h"

namespace {

using namespace norvik;

QString g_outDir;

void Save(QWidget& widget, const char* name) {
    // Layouts settle in the event loop, as they would on the screen.
    QCoreApplication::processEvents();
    const QString path = g_outDir + "/" + name;
    if (!widget.grab().save(path)) throw std::runtime_error("cannot write " + path.toStdString());
    std::cout << path.toStdString() << '\n';
}

void Choose(ui::FrmExport& dialog, const QString& name) {
    const int index = dialog.cboSchema->findText(name);
    if (index < 0) throw std::runtime_error("no definition " + name.toStdString());
    dialog.cboSchema->setCurrentIndex(index);
    dialog.LoadSchema(name);
}

// Runs the chosen definition in a progress window, rendering it mid-way and when done.
void RenderRun(ui::FrmExport& dialog) {
    if (!dialog.Form().ExportData()) throw std::runtime_error("the run was refused");
    ui::FrmExpProgress progress(&dialog, Services());
    dialog.Form().ShowProgress(progress.Form());
    progress.show();
    bool midway = false;
    auto inner = progress.Form().changed;
    progress.Form().changed = [&] {
        inner();
        if (midway || progress.Form().percent < 50) return;
        midway = true;
        progress.Refresh();
        Save(progress, "progress-running.png");
    };
    progress.Run();
    Save(progress, "progress-done.png");
    progress.close();
}

// Runs the chosen definition to its end: the finished window with the run's notes.
void RenderNotes(ui::FrmExport& dialog) {
    if (!dialog.Form().ExportData()) throw std::runtime_error("the run was refused");
    ui::FrmExpProgress progress(&dialog, Services());
    dialog.Form().ShowProgress(progress.Form());
    progress.show();
    progress.Run();
    if (progress.Form().notes.empty()) throw std::runtime_error("the run had no notes");
    Save(progress, "progress-notes.png");
    progress.close();
}

// Runs the chosen definition and stops it half-way, as Abbrechen does: the window as it stays.
void RenderStoppedRun(ui::FrmExport& dialog, ui::QtHostMessages& messages) {
    if (!dialog.Form().ExportData()) throw std::runtime_error("the run was refused");
    ui::FrmExpProgress progress(&dialog, Services());
    dialog.Form().ShowProgress(progress.Form());
    progress.show();
    auto inner = progress.Form().changed;
    progress.Form().changed = [&] {
        inner();
        if (progress.Form().percent >= 50 && progress.Form().cancelEnabled)
            progress.Form().Cancel();
    };
    messages.present = [](QMessageBox&) { return static_cast<int>(QMessageBox::Ok); };
    progress.Run();
    Save(progress, "progress-stopped.png");
    progress.close();
}

// Runs a statement that sorts millions of rows: the window while the database works, then stopped.
void RenderStatementWait(ui::FrmExport& dialog, ui::QtHostMessages& messages) {
    dialog.Form().Export().ExpDef->Datenquelle =
        "SELECT * FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
        "i < 50000000) SELECT i, (i * 7919) % 1000003 AS k FROM n) ORDER BY k";
    if (!dialog.Form().ExportData()) throw std::runtime_error("the run was refused");
    ui::FrmExpProgress progress(&dialog, Services());
    dialog.Form().ShowProgress(progress.Form());
    progress.show();
    bool saved = false;
    auto inner = progress.Form().changed;
    progress.Form().changed = [&] {
        inner();
        if (saved || progress.Form().progress != kStatementWaitText) return;
        saved = true;
        progress.Refresh();
        Save(progress, "progress-statement.png");
        progress.Form().Cancel();
    };
    messages.present = [](QMessageBox&) { return static_cast<int>(QMessageBox::Ok); };
    progress.Run();
    if (!saved) throw std::runtime_error("the statement was not waited for in the window");
    progress.close();
}

// The GDPdU dialog: without a profile, with the demo's profile, a changed selection and the
// package ticked, the message for a folder that does not exist, the build and its summary.
void RenderGdpdu(ui::QtHostMessages& messages) {
    const std::string exportPath = State().exportPath;
    QTemporaryDir empty;
    State().exportPath = empty.path().toStdString() + "/";
    {
        ui::FrmGdpdu dialog(nullptr, State(), Services());
        dialog.show();
        Save(dialog, "gdpdu-empty.png");
        dialog.close();
    }
    State().exportPath = exportPath;

    ui::FrmGdpdu dialog(nullptr, State(), Services());
    dialog.show();
    if (dialog.SelList->count() < 2) throw std::runtime_error("the demo profile has no tables");
    for (int i = 0; i < dialog.SelList->count(); ++i)
        dialog.SelList->item(i)->setCheckState(Qt::Unchecked);
    messages.present = [](QMessageBox& box) {
        box.show();
        Save(box, "gdpdu-no-table.png");
        return static_cast<int>(QMessageBox::Ok);
    };
    dialog.ExportData();
    for (int i = 0; i < dialog.SelList->count(); ++i)
        dialog.SelList->item(i)->setCheckState(i == 1 ? Qt::Unchecked : Qt::Checked);
    dialog.chkZip->setChecked(true);
    Save(dialog, "gdpdu-loaded.png");

    dialog.tdbDateVon->calendarWidget()->setSelectedDate(QDate(2026, 1, 1));
    dialog.tdbDateVon->calendarWidget()->show();
    Save(*dialog.tdbDateVon->calendarWidget(), "gdpdu-calendar.png");
    dialog.tdbDateVon->calendarWidget()->hide();

    dialog.txtPath->setText("/gibt/es/nicht");
    messages.present = [](QMessageBox& box) {
        box.show();
        Save(box, "gdpdu-missing-folder.png");
        return static_cast<int>(QMessageBox::Ok);
    };
    dialog.ExportData();

    // The build in its progress window, then its one final message.
    dialog.txtPath->setText(QString::fromStdString(dialog.Form().Gdpdu().Pfad));
    dialog.SelList->item(1)->setCheckState(Qt::Checked);
    bool progressSaved = false;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* progress = dynamic_cast<ui::FrmGdpduProgress*>(window);
            if (progressSaved || !progress || !progress->isVisible() ||
                progress->lblProgress->text().isEmpty())
                continue;
            progressSaved = true;
            Save(*progress, "gdpdu-progress.png");
        }
    });
    poll.start();
    messages.present = [](QMessageBox& box) {
        box.show();
        Save(box, "gdpdu-summary.png");
        return static_cast<int>(QMessageBox::No);
    };
    dialog.ExportData();
    poll.stop();

    // A build stopped in its progress window: the earlier medium stays, which is information.
    QTimer stop;
    stop.setInterval(0);
    QObject::connect(&stop, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (dynamic_cast<ui::FrmGdpduProgress*>(window) && window->isVisible()) RequestCancel();
    });
    stop.start();
    messages.present = [&stop](QMessageBox& box) {
        stop.stop();
        box.show();
        Save(box, "gdpdu-stopped.png");
        return static_cast<int>(QMessageBox::No);
    };
    dialog.ExportData();
    messages.present = [](QMessageBox& box) { return box.exec(); };
}

// The file question as it appears: Qt's own dialog, in German, at the current output file.
void RenderFileDialog(ui::FrmExport& dialog) {
    QTimer::singleShot(0, [] {
        if (auto* question = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            Save(*question, "file-dialog.png");
            question->reject();
        }
    });
    dialog.ChooseFileName();
}

void Render(const std::string& home) {
    standalone::CliContext ctx(home, "", false, std::cout, std::cerr);
    ctx.StartSession();
    auto messages = std::make_shared<ui::QtHostMessages>();
    Services().messages = messages;

    ui::FrmExport dialog(nullptr, State(), Services());
    dialog.show();
    Save(dialog, "export-list.png");

    Choose(dialog, "Kundenstamm CSV");
    dialog.Selection1->EntryOf("Ort")->setText("B*");
    dialog.Selection1->EntryOf("Angelegt")->setText("01.01.2020..31.12.2026");
    Save(dialog, "export-loaded.png");
    RenderFileDialog(dialog);
    RenderRun(dialog);
    // The till's file: values cut to their length, characters the code page lacks as "?".
    Choose(dialog, "Artikel Festlänge (DOS)");
    RenderNotes(dialog);

    // A definition that needs criteria, started without any: the message as the dialog shows it.
    Choose(dialog, "Buchungsstapel");
    messages->present = [](QMessageBox& box) {
        box.show();
        Save(box, "refused-start.png");
        return static_cast<int>(QMessageBox::Ok);
    };
    dialog.ExportData();

    // A date range written the wrong way round: a warning naming the criterion, nothing runs.
    Choose(dialog, "Kundenstamm CSV");
    dialog.Selection1->EntryOf("Angelegt")->setText("31.12.2026..01.01.2025");
    messages->present = [](QMessageBox& box) {
        box.show();
        Save(box, "reversed-range.png");
        return static_cast<int>(QMessageBox::Ok);
    };
    dialog.ExportData();

    Choose(dialog, "Kundenstamm CSV");
    RenderStoppedRun(dialog, *messages);
    Choose(dialog, "Kundenstamm CSV");
    RenderStatementWait(dialog, *messages);

    Choose(dialog, "Kundenstamm CSV");
    ui::FrmProperties properties(nullptr, dialog.Form().PropertiesFile(), State(), Services());
    properties.show();
    Save(properties, "properties.png");
    properties.close();
    // The DATEV batch's parameters and the file's own layout switches below them.
    Choose(dialog, "DATEV-Buchungsstapel");
    ui::FrmProperties datev(nullptr, dialog.Form().PropertiesFile(), State(), Services());
    datev.show();
    Save(datev, "properties-datev.png");
    datev.close();
    dialog.close();
    RenderGdpdu(*messages);
    Services().messages.reset();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Aufruf: norvik-screenshots HOME AUSGABEORDNER\n";
        return 2;
    }
    QApplication app(argc, argv);
    norvik::ui::InstallGermanTranslations();
    g_outDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(g_outDir);
    try {
        Render(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "norvik-screenshots: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
