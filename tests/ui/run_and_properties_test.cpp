#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "host/module_state.h"
#include "host/shell_service.h"
#include "ui/frm_exp_progress.h"
#include "ui/frm_export.h"
#include "ui/frm_properties.h"
#include "ui/parameter_table_model.h"
#include "ui/selection_widget.h"
#include "ui/twips.h"
#include "ui_fixture.h"

namespace norvik::test {
namespace {

using RunTest = UiTest;
using PropertiesTest = UiTest;

// Runs the dialog's export; the action is done on the progress window at the first pump of the
// run, then, once the run is done, whenDone or Return closes the window. Returns the two text lines
// shown then.
std::string RunInProgressWindow(ui::FrmExport& dialog,
                                const std::function<void(ui::FrmExpProgress&)>& duringRun,
                                const std::function<void(ui::FrmExpProgress&)>& whenDone = {}) {
    bool acted = false;
    std::string shown;
    const auto click = [&] { QTest::mouseClick(dialog.cmdOK, Qt::LeftButton); };
    EXPECT_TRUE(WhileModal(click, [&](QWidget* modal) {
        auto* progress = dynamic_cast<ui::FrmExpProgress*>(modal);
        if (!progress) return false;
        if (!acted && !progress->Form().CanClose()) {
            acted = true;
            if (duringRun) duringRun(*progress);
            return false;
        }
        if (!progress->Form().CanClose()) return false;
        EXPECT_FALSE(progress->cmdCancel->isEnabled());
        shown = (progress->lblInfo->text() + "|" + progress->lblProgress->text()).toStdString();
        whenDone ? whenDone(*progress) : QTest::keyClick(progress, Qt::Key_Return);
        EXPECT_FALSE(progress->isVisible());
        return true;
    }));
    EXPECT_TRUE(acted) << "the run was over before its window showed it";
    return shown;
}

TEST_F(RunTest, OkRunsTheExportInTheProgressWindowWhichClosesOnlyWhenDone) {
    auto shell = std::make_shared<RecordingShellService>();
    Services().shell = shell;
    auto dialog = OpenExport("Kunden");
    QTest::keyClicks(dialog->Selection1->EntryOf("ort"), "Berlin");
    RunInProgressWindow(
        *dialog,
        [](ui::FrmExpProgress& progress) {
            EXPECT_EQ(progress.cursor().shape(), Qt::WaitCursor);
            progress.close();
            QTest::keyClick(&progress, Qt::Key_Escape);
            EXPECT_TRUE(progress.isVisible()) << "closed while the run went on";
        },
        [&](ui::FrmExpProgress& progress) {
            EXPECT_EQ(progress.progressBar->value(), 100);
            EXPECT_EQ(progress.lblDatei->toolTip().toStdString(), outFile());
            EXPECT_EQ(progress.lblSchnittstelle->text().toStdString(), "Kunden");
            QTest::mouseClick(progress.cmdOpen, Qt::LeftButton);
            QTest::mouseClick(progress.cmdClose, Qt::LeftButton);
        });
    EXPECT_EQ(shell->folders, std::vector<std::string>{outFolder()});
    EXPECT_TRUE(Calls("ReportError").empty());
    EXPECT_EQ(ReadBytes(outFile()), "2;\"Berg\"\r\n4;\"Dorn\"\r\n");
    // The dialog stays for a further run; the run restored the host's pump.
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(Services().messagePump);
    dialog->close();
}

TEST_F(RunTest, AbbrechenStopsTheRunAndLeavesTheEarlierFileAsItWas) {
    WriteBytes(outFile(), "alt\r\n");
    auto dialog = OpenExport("Kunden");
    QTest::keyClicks(dialog->Selection1->EntryOf("ort"), "Berlin");
    const std::string shown = RunInProgressWindow(*dialog, [&](ui::FrmExpProgress& progress) {
        EXPECT_TRUE(progress.cmdCancel->isEnabled());
        // Enter presses the focused Abbrechen, as Space does.
        progress.cmdCancel->setFocus();
        QTest::keyClick(progress.cmdCancel, Qt::Key_Return);
        EXPECT_FALSE(progress.Form().cancelEnabled);
    });
    // The stop is said as such, with the file left as it was; no error number.
    EXPECT_EQ(shown.rfind("Der Export wurde ", 0), 0u) << shown;
    EXPECT_NE(shown.find("abgebrochen"), std::string::npos) << shown;
    EXPECT_EQ(shown.substr(shown.find('|')), "|Die Ausgabedatei ist unverändert.");
    EXPECT_EQ(ReadBytes(outFile()), "alt\r\n");
    ASSERT_EQ(Calls("ReportError").size(), 1u);
    EXPECT_EQ(Calls("ReportError")[0].number, 18);
    // The next run is not cancelled by the earlier request.
    RunInProgressWindow(*dialog, {});
    EXPECT_EQ(ReadBytes(outFile()), "2;\"Berg\"\r\n4;\"Dorn\"\r\n");
    dialog->close();
}

// A sorted statement over millions of rows: the window says so while the database works, and
// Abbrechen, pressed then, cancels the statement there at once instead of after the sort (also
// when pressed before the statement reached the database).
TEST_F(RunTest, TheWindowShowsTheStatementsWaitAndAbbrechenCancelsItOnTheDatabase) {
    WriteBytes(exportPath() + "LANGSAM.EXP",
               DefinitionBytes("[Allgemein]\nName=Langsam\nDatenquelle=SELECT * FROM (WITH "
                               "RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                               "i < 50000000) SELECT i, (i * 7919) % 1000003 AS k FROM n) "
                               "ORDER BY k\nDateiname=" +
                               home.file("out/langsam.txt") + "\n\n[DATENSATZ]\nFIELD i,N,,0\n"));
    WriteBytes(home.file("out/langsam.txt"), "alt\r\n");
    auto dialog = OpenExport("Langsam");
    auto window = Progress(*dialog);
    ui::FrmExpProgress& progress = *window;
    QElapsedTimer clock;
    bool painted = false;
    auto inner = progress.Form().changed;
    progress.Form().changed = [&] {
        inner();
        if (clock.isValid() || progress.Form().progress != kStatementWaitText) return;
        progress.Refresh();
        painted = !progress.grab().isNull() && progress.lblProgress->text() == kStatementWaitText;
        EXPECT_TRUE(progress.cmdCancel->isEnabled());
        EXPECT_EQ(progress.focusWidget(), progress.cmdCancel);
        clock.start();
        QTest::mouseClick(progress.cmdCancel, Qt::LeftButton);
    };
    progress.Run();
    EXPECT_TRUE(painted);
    ASSERT_TRUE(clock.isValid()) << "the statement was not waited for in the window";
    EXPECT_LT(clock.elapsed(), 1500) << "the statement went on after Abbrechen";
    EXPECT_TRUE(progress.Form().CanClose());
    progress.close();
    ASSERT_EQ(Calls("ReportError").size(), 1u);
    EXPECT_EQ(Calls("ReportError")[0].number, 18);
    EXPECT_EQ(ReadBytes(home.file("out/langsam.txt")), "alt\r\n");
    dialog->close();
}

// The finished window says, with the information icon, what the run changed of the data, as the
// command line does; a run that changed nothing shows no notes.
TEST_F(RunTest, TheFinishedWindowShowsTheRunsNotes) {
    for (const bool changed : {true, false}) {
        SCOPED_TRACE(changed ? "characters replaced" : "nothing changed");
        WriteBytes(exportPath() + "KURZ.EXP",
                   DefinitionBytes("[Allgemein]\nName=Kurz\nDateiformat=ASCII\nDatenquelle="
                                   "SELECT nr, name || '" +
                                   std::string(changed ? "é" : "ü") +
                                   "' AS name FROM kunden\nDateiname=" + home.file("out/kurz.txt") +
                                   "\n\n[DATENSATZ]\nFIELD nr,N,,0\nFIELD name,T,,0\n"));
        auto dialog = OpenExport("Kurz");
        auto window = Progress(*dialog);
        ui::FrmExpProgress& progress = *window;
        const int height = progress.height();
        progress.Run();
        ASSERT_TRUE(progress.Form().CanClose());
        EXPECT_EQ(progress.lblNotes->isVisible(), changed);
        if (changed) {
            const std::string notes = progress.lblNotes->text().toStdString();
            EXPECT_NE(notes.find("name"), std::string::npos) << notes;
            EXPECT_EQ(notes, progress.Form().notes);
            // The window grew for them, the buttons below them.
            EXPECT_GT(progress.height(), height);
            EXPECT_GE(progress.cmdClose->y(), progress.lblNotes->geometry().bottom());
            EXPECT_LE(progress.cmdClose->geometry().bottom(), progress.height());
        } else {
            EXPECT_EQ(progress.height(), height);
        }
        progress.close();
        dialog->close();
    }
}

TEST_F(RunTest, ParametersSavedUnderEigenschaftenApplyToTheNextRunAndTheCriteriaStay) {
    WriteBytes(exportPath() + "MANDANT.EXP",
               DefinitionBytes("[Allgemein]\nName=Mandant\nDatenquelle=SELECT nr FROM kunden\n"
                               "Dateiname=" +
                               home.file("out/mandant.txt") +
                               "\nFeldtrenner=;\nTexterkenner=\nKopfzeile=J\n\n"
                               "[Parameter]\nMandant=\"Mandant\",\"001\"\n\n[Selektion]\n"
                               "Sel01=\"Ort\";\"ort\";0;20;\"\";\"\";\"\"\n\n"
                               "[DATENSATZ]\nFIELD nr,N,,0\nPARAM Mandant,T,,0\n"));
    auto dialog = OpenExport("Mandant");
    QTest::keyClicks(dialog->Selection1->EntryOf("ort"), "Berlin");
    RunInProgressWindow(*dialog, {});
    const auto options = [&] { QTest::mouseClick(dialog->cmdOptions, Qt::LeftButton); };
    EXPECT_TRUE(WhileModal(options, [](QWidget* modal) {
        auto* properties = dynamic_cast<ui::FrmProperties*>(modal);
        if (!properties) return false;
        properties->Props()->setCurrentIndex(
            properties->Props()->model()->index(0, ui::kValueColumn));
        auto* editor = properties->Props()->findChild<QLineEdit*>();
        EXPECT_NE(editor, nullptr);
        if (editor) {
            editor->selectAll();
            QTest::keyClicks(editor, "042");
        }
        QTest::keyClick(properties->Props(), Qt::Key_F10);
        return true;
    }));
    RunInProgressWindow(*dialog, {});
    // The second run of the same dialog starts its file with the header line too.
    EXPECT_EQ(ReadBytes(home.file("out/mandant.txt")), "nr;Parameter 1;\r\n2;042\r\n4;042\r\n");
    dialog->close();
}

// The user types a value and goes on with Tab, Return or Enter to the next, which takes what is
// typed next; every way of closing saves, also while a cell is still being edited.
TEST_F(PropertiesTest, EachValueLandsInItsRowAndEveryWayOfClosingSaves) {
    const struct {
        Qt::Key next;
        std::function<void(ui::FrmProperties&)> close;
    } ways[] = {
        {Qt::Key_Tab, [](ui::FrmProperties& p) { QTest::keyClick(p.Props(), Qt::Key_F10); }},
        {Qt::Key_Return, [](ui::FrmProperties& p) { QTest::keyClick(p.Props(), Qt::Key_F9); }},
        {Qt::Key_Enter, [](ui::FrmProperties& p) { QTest::keyClick(p.Props(), Qt::Key_Escape); }},
        {Qt::Key_Tab, [](ui::FrmProperties& p) { p.close(); }},
    };
    int n = 0;
    for (const auto& way : ways) {
        SCOPED_TRACE(++n);
        ui::FrmProperties properties(nullptr, kundenFile(), State(), Services());
        properties.show();
        EXPECT_EQ(properties.windowTitle(), "Einstellungen für Kunden");
        EXPECT_EQ(properties.size(), QSize(ui::Px(5715), ui::Px(5880)));
        QAbstractItemModel* model = properties.Props()->model();
        const QAbstractItemModelTester rules(model,
                                             QAbstractItemModelTester::FailureReportingMode::Fatal);
        ASSERT_EQ(model->rowCount(), 2);
        EXPECT_EQ(model->index(1, ui::kCaptionColumn).data().toString().toStdString(),
                  std::string("Stichtag") + kCaptionFiller);
        if (n == 1) {
            EXPECT_EQ(model->index(1, ui::kValueColumn).data().toString(), "01.01.2003");
            // Only values are edited; the fixed columns look so.
            EXPECT_FALSE(model->flags(model->index(0, ui::kCaptionColumn)) & Qt::ItemIsEditable);
            EXPECT_EQ(model->index(0, ui::kSpacerColumn).data(Qt::BackgroundRole).value<QColor>(),
                      QApplication::palette().color(QPalette::Button));
        }
        EXPECT_TRUE(properties.Props()->isColumnHidden(ui::kKeyColumn));
        properties.Props()->setCurrentIndex(model->index(0, ui::kValueColumn));
        const std::string mandant = "04" + std::to_string(n),
                          datum = "3" + std::to_string(n) + ".12.2025";
        const auto typeInto = [&](const std::string& text, Qt::Key key) {
            auto* editor = qobject_cast<QLineEdit*>(
                properties.Props()->indexWidget(properties.Props()->currentIndex()));
            ASSERT_NE(editor, nullptr);
            editor->selectAll();
            QTest::keyClicks(editor, QString::fromStdString(text));
            if (key) QTest::keyClick(editor, key);
        };
        typeInto(mandant, way.next);
        EXPECT_EQ(properties.Props()->currentIndex(), model->index(1, ui::kValueColumn));
        EXPECT_EQ(model->index(0, ui::kValueColumn).data().toString().toStdString(), mandant);
        // The last value is left in its editor; the captions keep their first letters.
        typeInto(datum, n == 1 ? Qt::Key_Return : Qt::Key(0));
        EXPECT_EQ(properties.Props()->horizontalScrollBar()->value(), 0);
        EXPECT_EQ(properties.Props()->columnViewportPosition(ui::kCaptionColumn), 0);
        way.close(properties);
        EXPECT_FALSE(properties.isVisible());
        EXPECT_EQ(State().Settings().ReadValue("Export_KUNDEN", "Mandant", "Standard", ""),
                  mandant);
        EXPECT_EQ(State().Settings().ReadValue("Export_KUNDEN", "Datum", "Standard", ""), datum);
    }
}

}  // namespace
}  // namespace norvik::test
