#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "common/vb_convert.h"
#include "host/module_state.h"
#include "support/cases.h"
#include "support/gdpdu_profile.h"
#include "ui/date_field.h"
#include "ui/file_dialog.h"
#include "ui/frm_export.h"
#include "ui/frm_gdpdu.h"
#include "ui/frm_gdpdu_progress.h"
#include "ui/qt_host_messages.h"
#include "ui/twips.h"
#include "ui_fixture.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

class GdpduDialogTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        Sql("CREATE TABLE konten (nr INTEGER, name TEXT)");
        Sql("INSERT INTO konten VALUES (1000, 'Kasse'), (1200, 'Bank')");
        WriteKontenDefinitions(home);
        fs::create_directories(medium());
        fs::copy_file(PublishedDtd(), exportPath() + "gdpdu-01-08-2002.dtd");
    }
    std::string medium() const { return home.file("medium"); }
    std::string Stored(const std::string& key) const {
        return State().Settings().ReadValue("TQBExport", key, "tester", "unset");
    }
    // Opens the dialog on 15 March 2026.
    std::unique_ptr<ui::FrmGdpdu> Open() {
        auto dialog = std::make_unique<ui::FrmGdpdu>(nullptr, State(), Services(), [] {
            return DateTime{2026, 3, 15};
        });
        dialog->show();
        return dialog;
    }
    std::vector<std::string> Lines(const ui::FrmGdpdu& dialog) const {
        std::vector<std::string> lines;
        for (int i = 0; i < dialog.SelList->count(); ++i)
            lines.push_back(
                (dialog.SelList->item(i)->checkState() == Qt::Checked ? "[x] " : "[ ] ") +
                dialog.SelList->item(i)->text().toStdString());
        return lines;
    }
};

TEST_F(GdpduDialogTest, WithoutAProfileOnlyTheListAndCancelAreUsable) {
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "Datenträgerüberlassung Finanzamt");
    EXPECT_EQ(dialog->size(), QSize(ui::Px(7260), ui::Px(4635)));
    const QRect screen = dialog->screen()->availableGeometry();
    EXPECT_LE((dialog->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_EQ(dialog->cboSchema->count(), 0);
    EXPECT_EQ(ui::DateText(dialog->tdbDateVon) + "-" + ui::DateText(dialog->tdbDateBis),
              "01.01.2026-31.12.2026");
    ExpectDesignedControls({
        {dialog->cboSchema, true, "Auswahl des Ausgabeschemas."},
        {dialog->txtPath, false, "Auswahl des Ausgabepfades."},
        {dialog->cmdFileName, false, "Auswahl des Ausgabepfades."},
        {dialog->tdbDateVon, true, "Auswahl des Ausgabezeitraums"},
        {dialog->tdbDateBis, true, "Auswahl des Ausgabezeitraums"},
        {dialog->SelList, false, "Auswahl der Ausgabedateien"},
        {dialog->cmdSelect, false, "Alles Auswählen"},
        {dialog->cmdUnselect, false, "Auswahl aufheben"},
        {dialog->cmdOK, false, "Daten ausgeben"},
        {dialog->cmdCancel, true, "Vorgang abbrechen"},
    });
    EXPECT_FALSE(dialog->cmdSelect->icon().isNull());
    EXPECT_EQ(dialog->tdbDateVon->displayFormat(), "dd.MM.yyyy");
    QStringList days;
    for (int day : {7, 1, 2, 3, 4, 5, 6})
        days << ui::DayAbbreviation(static_cast<Qt::DayOfWeek>(day));
    EXPECT_EQ(days.join(",").toStdString(), "So,Mo,Di,Mi,Do,Fr,Sa");

    // Escape is no way to close it; F10 is.
    QTest::keyClick(dialog->cboSchema, Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(dialog->cboSchema, Qt::Key_F10);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(GdpduDialogTest, AnotherProfileReloadsTablesAndTicksButKeepsThePeriod) {
    WriteGdpduProfile(exportPath(), "A.GDU", "Prüfung A", medium(), {"Konten", "Sachkonten"});
    WriteGdpduProfile(exportPath(), "B.GDU", "Prüfung B", "/b", {"Konten", "Debitoren", "Konten"});
    State().Settings().WriteValue("TQBExport", "Prüfung A_Sachkonten", "0", "tester");
    auto dialog = Open();
    EXPECT_EQ(dialog->cboSchema->currentText(), "Prüfung A");
    EXPECT_EQ(dialog->txtPath->text().toStdString(), medium());
    EXPECT_EQ(Lines(*dialog), (std::vector<std::string>{"[x] Konten", "[ ] Sachkonten"}));
    dialog->cboSchema->setFocus();
    QTest::keyClick(dialog->cboSchema, Qt::Key_Down);
    EXPECT_EQ(dialog->txtPath->text().toStdString(), "/b");
    EXPECT_EQ(Lines(*dialog), (std::vector<std::string>{"[x] Konten", "[x] Debitoren"}));

    QTest::mouseClick(dialog->cmdUnselect, Qt::LeftButton);
    EXPECT_EQ(Lines(*dialog), (std::vector<std::string>{"[ ] Konten", "[ ] Debitoren"}));
    QTest::mouseClick(dialog->cmdSelect, Qt::LeftButton);
    EXPECT_EQ(Lines(*dialog), (std::vector<std::string>{"[x] Konten", "[x] Debitoren"}));
    // A click on a line ticks or unticks it alone.
    const QRect line = dialog->SelList->visualItemRect(dialog->SelList->item(1));
    QTest::mouseClick(dialog->SelList->viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_EQ(Lines(*dialog), (std::vector<std::string>{"[x] Konten", "[ ] Debitoren"}));
    QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Stored("Prüfung B_Debitoren"), "unset");
}

TEST_F(GdpduDialogTest, F9BuildsIntoTheFolderAsTypedAndStoresTheTicksOfSharedCaptions) {
    WriteGdpduProfile(exportPath(), "A.GDU", "Prüfung", "/anderswo", {"Konten", "Konten"});
    auto dialog = Open();
    QString chosen;
    ui::FileDialog::SetChooser([&](const ui::FileQuestion& q) {
        chosen = QString::fromStdString(q.title);
        return q.folderOnly ? medium() : std::string();
    });
    QTest::mouseClick(dialog->cmdFileName, Qt::LeftButton);
    EXPECT_EQ(chosen, "Bitte wählen Sie einen Ausgabepfad aus.");
    EXPECT_EQ(dialog->txtPath->text().toStdString(), medium());
    ui::FileDialog::SetChooser([](const ui::FileQuestion&) { return std::string(); });
    QTest::mouseClick(dialog->cmdFileName, Qt::LeftButton);
    EXPECT_EQ(dialog->txtPath->text().toStdString(), medium());

    QTest::keyClick(dialog->SelList, Qt::Key_F9);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->Form().Gdpdu().Pfad, medium());
    EXPECT_TRUE(fs::exists(medium() + "/Index.xml"));
    EXPECT_EQ(Stored("Prüfung_Konten"), "1");
    // The build ends with its own question; the dialog's messages are the host's.
    ASSERT_FALSE(Calls("ShowMessage").empty());
    EXPECT_EQ(Calls("ShowMessage").back().buttons, kButtonsYesNo)
        << Calls("ShowMessage").back().text;
}

TEST_F(GdpduDialogTest, TheBuildShowsOneProgressWindowEndsWithOneSummaryAndCanBeCancelled) {
    WriteGdpduProfile(exportPath(), "A.GDU", "Prüfung", medium(), {"Konten", "Konten"});
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "complete");
        fs::remove_all(medium());
        fs::create_directories(medium());
        messages->calls.clear();
        auto dialog = Open();
        std::vector<std::string> seen;
        const auto f9 = [&] { QTest::keyClick(dialog->SelList, Qt::Key_F9); };
        EXPECT_TRUE(WhileModal(f9, [&](QWidget*) {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                auto* progress = dynamic_cast<ui::FrmGdpduProgress*>(window);
                if (!progress || !progress->isVisible()) continue;
                const std::string text = progress->lblTable->text().toStdString();
                if (seen.empty() || seen.back() != text) seen.push_back(text);
                if (cancel && progress->cmdCancel->isEnabled())
                    QTest::mouseClick(progress->cmdCancel, Qt::LeftButton);
            }
            return false;
        }));
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.front(), "Tabelle 1 von 2: Konten");
        // No message box per table: one final message, whose text the medium's tests check.
        EXPECT_TRUE(Calls("ShowText").empty());
        EXPECT_EQ(Calls("ShowMessage").size(), 1u);
        const bool second =
            std::find(seen.begin(), seen.end(), "Tabelle 2 von 2: Konten") != seen.end();
        EXPECT_TRUE(second || cancel);
        EXPECT_EQ(fs::exists(medium() + "/Index.xml"), !cancel);
        EXPECT_FALSE(dialog->isVisible());
    }
}

// The form's refusals keep the dialog open as it was; a folder offered for creation is made on
// "Ja".
TEST_F(GdpduDialogTest, ARefusalKeepsTheDialogOpenAsItWas) {
    WriteGdpduProfile(exportPath(), "A.GDU", "Prüfung", medium(), {"Konten"});
    auto dialog = Open();
    QTest::mouseClick(dialog->cmdUnselect, Qt::LeftButton);
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Calls("ShowMessage").size(), 1u);
    EXPECT_EQ(Lines(*dialog), std::vector<std::string>{"[ ] Konten"});
    QTest::mouseClick(dialog->cmdSelect, Qt::LeftButton);
    dialog->txtPath->setText(QString::fromStdString(home.file("fehlt")));
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Calls("ShowMessage").back().buttons, kButtonsYesNo);
    EXPECT_EQ(dialog->txtPath->text().toStdString(), home.file("fehlt"));
    EXPECT_EQ(ui::DateText(dialog->tdbDateVon), "01.01.2026");
    messages->answer = kAnswerYes;
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(fs::exists(home.file("fehlt/Index.xml")));
}

// With the export dialog open beside it, the GDPdU dialog's messages still carry its title and
// place, also after its progress window hid; that window appears over the dialog.
TEST_F(GdpduDialogTest, MessagesAndTheProgressWindowBelongToTheDialog) {
    WriteGdpduProfile(exportPath(), "A.GDU", "Prüfung", medium(), {"Konten"});
    ui::FrmExport exportDialog(nullptr, State(), Services());
    exportDialog.show();
    auto dialog = Open();
    dialog->move(40, 60);
    exportDialog.activateWindow();
    ui::FrmGdpduProgress progress(dialog.get(), Services());
    {
        const ui::MessageOwner owner(dialog.get());
        const ui::MessageOwner whileShown(&progress);
        EXPECT_EQ(ui::MessageParent(), dialog.get());
        progress.Form().BuildStarted(1);
        EXPECT_EQ(ui::MessageParent(), &progress);
        const QPoint offset = progress.frameGeometry().center() - dialog->frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
        progress.Form().BuildEnded();
        EXPECT_FALSE(progress.isVisible());
        const auto box = ui::MakeMessageBox("Zusammenfassung", 4, kButtonsOk, ui::MessageParent());
        EXPECT_EQ(box->windowTitle(), "Datenträgerüberlassung Finanzamt");
        EXPECT_EQ(box->parentWidget(), dialog.get());
    }
    EXPECT_NE(ui::MessageParent(), dialog.get());
    exportDialog.close();
}

TEST_F(GdpduDialogTest, ADateIsExactlyWhatIsTypedOrPastedOrVisiblyRefused) {
    WriteGdpduProfile(exportPath(), "A.GDU", "Prüfung", medium(), {"Konten"});
    auto dialog = Open();
    ui::DateField* von = dialog->tdbDateVon;
    const QColor normal = von->palette().color(QPalette::Text);
    for (const CaseRow& row : ReadCases("ui/cases/date_entries.tsv")) {
        SCOPED_TRACE(row.where);
        if (!row[1].empty()) von->setText(QString::fromStdString(row[1]));
        if (row[2].empty())
            von->selectAll();
        else
            von->setSelection(std::stoi(row[2]), std::stoi(row[3]));
        const QString text = QString::fromStdString(row[5]);
        if (row[4] == "paste") {
            QApplication::clipboard()->setText(text);
            von->paste();
        } else {
            QTest::keyClicks(von, text);
        }
        EXPECT_EQ(ui::DateText(von), row[6]);
        EXPECT_EQ(dialog->Form().controls.dateVon, row[6]);
        EXPECT_EQ(von->palette().color(QPalette::Text) == normal, row[7] == "1");
    }
    // A refused date keeps the dialog open with what was typed.
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ui::DateText(von), "31.02.2025");
    EXPECT_EQ(Calls("ShowMessage").size(), 1u);
    // The typed period reaches the medium.
    von->setText("15.03.2025");
    dialog->tdbDateBis->setText("16.06.2025");
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(DateTimeToText(dialog->Form().Gdpdu().DatumVon) + "-" +
                  DateTimeToText(dialog->Form().Gdpdu().DatumBis),
              "15.03.2025-16.06.2025");
}

}  // namespace
}  // namespace norvik::test
