#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "forms/parameter_rows.h"
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

// What the test saw of the progress window while the dialog waited for it.
struct ProgressSeen {
    int refusedCloses = 0;        // close attempts before the run was done
    bool waitCursorSeen = false;  // the wait cursor during the run
    bool openClicked = false;
    std::string info;  // lblInfo when done
    int percent = -1;  // the bar when done
};

TEST_F(RunTest, OkRunsTheExportInTheProgressWindowWhichClosesOnlyWhenDone) {
    auto shell = std::make_shared<RecordingShellService>();
    Services().shell = shell;
    ui::FrmExport dialog(nullptr, State(), Services());
    dialog.show();
    const int kunden = dialog.cboSchema->findText("Kunden");
    dialog.cboSchema->setCurrentIndex(kunden);
    emit dialog.cboSchema->activated(kunden);
    QTest::keyClicks(dialog.Selection1->EntryOf("ort"), "Berlin");

    ProgressSeen seen;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* progress = dynamic_cast<ui::FrmExpProgress*>(QApplication::activeModalWidget());
        if (!progress) return;
        if (!progress->Form().CanClose()) {
            if (progress->cursor().shape() == Qt::WaitCursor) seen.waitCursorSeen = true;
            progress->close();
            QTest::keyClick(progress, Qt::Key_Escape);
            if (progress->isVisible()) ++seen.refusedCloses;
            return;
        }
        poll.stop();
        seen.info = progress->lblInfo->text().toStdString();
        seen.percent = progress->progressBar->value();
        EXPECT_EQ(progress->lblDatei->toolTip().toStdString(), outFile());
        EXPECT_EQ(progress->lblSchnittstelle->text().toStdString(), "Kunden");
        QTest::mouseClick(progress->cmdOpen, Qt::LeftButton);
        seen.openClicked = true;
        QTest::mouseClick(progress->cmdClose, Qt::LeftButton);
    });
    poll.start();
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);

    EXPECT_GE(seen.refusedCloses, 1);
    EXPECT_TRUE(seen.waitCursorSeen);
    EXPECT_TRUE(seen.openClicked);
    EXPECT_EQ(seen.percent, 100);
    EXPECT_EQ(shell->folders, std::vector<std::string>{outFolder()});
    EXPECT_TRUE(Calls("ReportError").empty());
    const std::string bytes = ReadBytes(outFile());
    EXPECT_EQ(bytes.substr(0, bytes.find('\n') + 1), "2;\"Berg\"\r\n");
    EXPECT_EQ(bytes, "2;\"Berg\"\r\n4;\"Dorn\"\r\n");
    // The dialog stays for a further run; the run restored the host's pump.
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(Services().messagePump);
    dialog.close();
}

// Runs the dialog's export; the action is done on the progress window at the first pump of the
// run, then Return closes the window once the run is done.
void RunInProgressWindow(ui::FrmExport& dialog,
                         const std::function<void(ui::FrmExpProgress&)>& duringRun) {
    bool acted = false;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* progress = dynamic_cast<ui::FrmExpProgress*>(QApplication::activeModalWidget());
        if (!progress) return;
        if (!acted && !progress->Form().CanClose()) {
            acted = true;
            if (duringRun) duringRun(*progress);
            return;
        }
        if (!progress->Form().CanClose()) return;
        poll.stop();
        EXPECT_FALSE(progress->cmdCancel->isEnabled());
        QTest::keyClick(progress, Qt::Key_Return);
        EXPECT_FALSE(progress->isVisible());
    });
    poll.start();
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
}

TEST_F(RunTest, AbbrechenStopsTheRunAndLeavesTheEarlierFileAsItWas) {
    WriteBytes(outFile(), "alt\r\n");
    ui::FrmExport dialog(nullptr, State(), Services());
    dialog.show();
    const int kunden = dialog.cboSchema->findText("Kunden");
    dialog.cboSchema->setCurrentIndex(kunden);
    emit dialog.cboSchema->activated(kunden);
    QTest::keyClicks(dialog.Selection1->EntryOf("ort"), "Berlin");
    std::string stateAfter;
    RunInProgressWindow(dialog, [&](ui::FrmExpProgress& progress) {
        EXPECT_TRUE(progress.cmdCancel->isEnabled());
        QTest::mouseClick(progress.cmdCancel, Qt::LeftButton);
    });
    EXPECT_EQ(ReadBytes(outFile()), "alt\r\n");
    ASSERT_EQ(Calls("ReportError").size(), 1u);
    EXPECT_EQ(Calls("ReportError")[0].number, 18);
    // The next run is not cancelled by the earlier request.
    RunInProgressWindow(dialog, {});
    EXPECT_EQ(ReadBytes(outFile()), "2;\"Berg\"\r\n4;\"Dorn\"\r\n");
    dialog.close();
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
    ui::FrmExport dialog(nullptr, State(), Services());
    dialog.show();
    const int index = dialog.cboSchema->findText("Mandant");
    dialog.cboSchema->setCurrentIndex(index);
    emit dialog.cboSchema->activated(index);
    QTest::keyClicks(dialog.Selection1->EntryOf("ort"), "Berlin");
    RunInProgressWindow(dialog, {});
    QTimer::singleShot(0, [] {
        auto* properties = dynamic_cast<ui::FrmProperties*>(QApplication::activeModalWidget());
        ASSERT_NE(properties, nullptr);
        properties->Props()->setCurrentIndex(
            properties->Props()->model()->index(0, ui::kValueColumn));
        auto* editor = properties->Props()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, "042");
        QTest::keyClick(editor, Qt::Key_F10);
    });
    QTest::mouseClick(dialog.cmdOptions, Qt::LeftButton);
    RunInProgressWindow(dialog, {});
    // The second run of the same dialog starts its file with the header line too.
    EXPECT_EQ(ReadBytes(home.file("out/mandant.txt")), "nr;Parameter 1;\r\n2;042\r\n4;042\r\n");
    dialog.close();
}

TEST_F(PropertiesTest, ShowsTheRowsAndSavesAnEditOnF10) {
    ui::FrmProperties properties(nullptr, kundenFile(), State(), Services());
    properties.show();
    EXPECT_EQ(properties.windowTitle(), "Einstellungen für Kunden");
    EXPECT_EQ(properties.size(), QSize(ui::Px(5715), ui::Px(5880)));
    QAbstractItemModel* model = properties.Props()->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(1, ui::kCaptionColumn).data().toString().toStdString(),
              std::string("Stichtag") + kCaptionFiller);
    EXPECT_EQ(model->index(1, ui::kValueColumn).data().toString(), "01.01.2003");
    EXPECT_TRUE(properties.Props()->isColumnHidden(ui::kKeyColumn));

    // The user types a new value and leaves with F10 while the cell is still being edited.
    const QModelIndex mandant = model->index(0, ui::kValueColumn);
    properties.Props()->setCurrentIndex(mandant);
    auto* editor = properties.Props()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "042");
    // Tab goes on to the next value, which takes what is typed next.
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(properties.Props()->currentIndex(), model->index(1, ui::kValueColumn));
    auto* next = qobject_cast<QLineEdit*>(
        properties.Props()->indexWidget(model->index(1, ui::kValueColumn)));
    ASSERT_NE(next, nullptr);
    next->selectAll();
    QTest::keyClicks(next, "31.12.2025");
    // Return takes the value; the captions keep their first letters.
    QTest::keyClick(next, Qt::Key_Return);
    EXPECT_EQ(properties.Props()->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(properties.Props()->columnViewportPosition(ui::kCaptionColumn), 0);
    QTest::keyClick(properties.Props(), Qt::Key_F10);
    EXPECT_FALSE(properties.isVisible());
    HostSettings& settings = State().Settings();
    EXPECT_EQ(settings.ReadValue("Export_KUNDEN", "Mandant", "Standard", ""), "042");
    EXPECT_EQ(settings.ReadValue("Export_KUNDEN", "Datum", "Standard", ""), "31.12.2025");
}

TEST_F(PropertiesTest, EveryWayOfClosingSaves) {
    const struct {
        const char* way;
        std::function<void(ui::FrmProperties&)> close;
    } ways[] = {
        {"close box", [](ui::FrmProperties& p) { p.close(); }},
        {"F9", [](ui::FrmProperties& p) { QTest::keyClick(p.Props(), Qt::Key_F9); }},
        {"Escape", [](ui::FrmProperties& p) { QTest::keyClick(p.Props(), Qt::Key_Escape); }},
    };
    int n = 0;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        ui::FrmProperties properties(nullptr, kundenFile(), State(), Services());
        properties.show();
        const std::string value = "wert" + std::to_string(++n);
        properties.Props()->model()->setData(
            properties.Props()->model()->index(0, ui::kValueColumn), QString::fromStdString(value));
        way.close(properties);
        EXPECT_FALSE(properties.isVisible());
        EXPECT_EQ(State().Settings().ReadValue("Export_KUNDEN", "Mandant", "Standard", ""), value);
    }
}

TEST_F(PropertiesTest, TheTableModelKeepsQtsRules) {
    ParameterRows rows(State(), Services());
    ui::ParameterTableModel model(rows, QColor(Qt::lightGray));
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(model.rowCount(), 0);
    rows.Load(kundenFile());
    model.Reload();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_TRUE(model.flags(model.index(0, ui::kValueColumn)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, ui::kCaptionColumn)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(model.index(0, ui::kCaptionColumn), "x"));
    EXPECT_TRUE(model.setData(model.index(0, ui::kValueColumn), "7"));
    EXPECT_EQ(rows.Rows()[0].value, "7");
    EXPECT_EQ(model.index(0, ui::kKeyColumn).data().toString(), "Mandant");
    EXPECT_EQ(model.index(0, ui::kSpacerColumn).data(Qt::BackgroundRole).value<QColor>(),
              QColor(Qt::lightGray));
}

}  // namespace
}  // namespace norvik::test
