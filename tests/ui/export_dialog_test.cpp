#include <QAbstractFileIconProvider>
#include <QAbstractProxyModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>

#include "host/module_state.h"
#include "ui/file_dialog.h"
#include "ui/frm_exp_progress.h"
#include "ui/frm_export.h"
#include "ui/frm_gdpdu.h"
#include "ui/frm_gdpdu_progress.h"
#include "ui/german_translations.h"
#include "ui/selection_widget.h"
#include "ui/twips.h"
#include "ui_fixture.h"

namespace norvik::test {
namespace {

using ExportDialogTest = UiTest;

// Chooses a definition with the keyboard, as a user does in the closed list.
void ChooseByKeyboard(ui::FrmExport& dialog, int index) {
    dialog.cboSchema->setFocus();
    while (dialog.cboSchema->currentIndex() != index)
        QTest::keyClick(dialog.cboSchema,
                        dialog.cboSchema->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
}

TEST_F(ExportDialogTest, OpensWithTheListOnlyAndAChosenDefinitionEnablesTheRest) {
    ui::FrmExport dialog(nullptr, State(), Services());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Datenexport");
    EXPECT_EQ(dialog.size(), QSize(ui::Px(7245), ui::Px(5535)));
    EXPECT_EQ(dialog.cboSchema->count(), 2);
    EXPECT_EQ(dialog.cboSchema->currentIndex(), -1);
    ExpectDesignedControls({
        {dialog.cboSchema, true, "Auswahl der Exportspezifikation."},
        {dialog.txtFileName, false, "Auswahl des Dateinamens."},
        {dialog.cmdFileName, false, "Auswahl des Dateinamens."},
        {dialog.chkAnfuegen, false,
         "Fügt die zu exportierenden Daten an das Dateiende einer bestehenden Datei an."},
        {dialog.chkProtokoll, false, "Erzeugt ein Protokolleintrag."},
        {dialog.Selection1, false, "Selektionskriterien"},
        {dialog.cmdOK, false, "Daten exportieren"},
        {dialog.cmdCancel, true, "Vorgang Abbrechen"},
        {dialog.cmdOptions, false, "Eigenschaften anzeigen"},
    });
    // The stored protocol switch is shown: none stored means ticked.
    EXPECT_TRUE(dialog.chkProtokoll->isChecked());
    // Enter presses the focused button only.
    QTest::keyClick(dialog.cboSchema, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());

    // Choosing a definition enables the controls and builds the rows.
    ChooseByKeyboard(dialog, dialog.cboSchema->findText("Kunden"));
    EXPECT_EQ(dialog.txtFileName->text().toStdString(), outFile());
    for (QWidget* w : std::initializer_list<QWidget*>{
             dialog.txtFileName, dialog.cmdFileName, dialog.chkAnfuegen, dialog.chkProtokoll,
             dialog.Selection1, dialog.cmdOK, dialog.cmdOptions})
        EXPECT_TRUE(w->isEnabled()) << w->metaObject()->className();
    EXPECT_FALSE(dialog.chkAnfuegen->isChecked());
    ASSERT_EQ(dialog.Selection1->RowCount(), 3);
    ASSERT_NE(dialog.Selection1->EntryOf("ort"), nullptr);
    // The value list of the list criterion is offered in its combo box.
    auto* land = qobject_cast<QComboBox*>(dialog.Selection1->EntryOf("land")->parentWidget());
    ASSERT_NE(land, nullptr);
    QStringList offered;
    for (int i = 0; i < land->count(); ++i) offered << land->itemText(i);
    EXPECT_EQ(offered, (QStringList{"", "A", "D"}));
    // The date criterion has its calendar button.
    EXPECT_NE(dialog.Selection1->EntryOf("angelegt")->parentWidget()->findChild<QToolButton*>(),
              nullptr);
    // The rows stand in the tab order where the selection does: after the protocol switch,
    // before OK.
    std::vector<QWidget*> stops;
    for (QWidget* w = dialog.chkProtokoll->nextInFocusChain(); w != dialog.cmdOK;
         w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible() &&
            !w->focusProxy())
            stops.push_back(w);
    const std::vector<QWidget*> expectedStops = {dialog.Selection1->EntryOf("ort"),
                                                 dialog.Selection1->EntryOf("angelegt"), land};
    EXPECT_EQ(stops, expectedStops);
    // Entries typed into the rows make the condition.
    QTest::keyClicks(dialog.Selection1->EntryOf("ort"), "Berlin");
    QTest::keyClicks(dialog.Selection1->EntryOf("land"), "D");
    EXPECT_EQ(dialog.Selection1->Condition(), "ort = 'Berlin' AND land = 'D'");

    // Escape is no way to close it; Enter on the focused Abbrechen is.
    QTest::keyClick(dialog.cboSchema, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    dialog.cmdCancel->setFocus();
    QTest::keyClick(dialog.cmdCancel, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
}

// The Alt keys of a window, sorted: the letters after "&" of its buttons, check boxes, labels
// with a field and frames, and the shortcuts of buttons without text. A label's key must lead to
// a field.
std::string AltKeys(QWidget& window) {
    std::string keys;
    const auto take = [&](const QString& text) {
        const QString key = QKeySequence::mnemonic(text).toString();
        if (key.startsWith("Alt+")) keys += key.mid(4).toLower().toStdString();
    };
    for (auto* button : window.findChildren<QAbstractButton*>()) {
        take(button->text());
        if (button->text().isEmpty()) take("&" + button->shortcut().toString().mid(4));
    }
    for (auto* label : window.findChildren<QLabel*>()) {
        if (QKeySequence::mnemonic(label->text()).isEmpty()) continue;
        EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
        take(label->text());
    }
    for (auto* frame : window.findChildren<QGroupBox*>()) take(frame->title());
    std::sort(keys.begin(), keys.end());
    return keys;
}

TEST_F(ExportDialogTest, TheButtonsAndMainFieldsHaveAltKeysWithoutClashes) {
    ui::FrmExport exportDialog(nullptr, State(), Services());
    ui::FrmGdpdu gdpdu(nullptr, State(), Services());
    ui::FrmExpProgress progress(nullptr, Services());
    ui::FrmGdpduProgress gdpduProgress(nullptr, Services());
    const struct {
        QWidget* window;
        const char* keys;
    } cases[] = {
        {&exportDialog, "adefiopu"},  // the selection's rows add none
        {&gdpdu, "abhlopsvz"},
        {&progress, "aos"},
        {&gdpduProgress, "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window->windowTitle().toStdString());
        EXPECT_EQ(AltKeys(*c.window), c.keys);
    }
    EXPECT_EQ(exportDialog.cmdCancel->text(), "&Abbrechen");
    EXPECT_EQ(exportDialog.cmdOK->text(), "&OK");
}

TEST_F(ExportDialogTest, FileButtonTakesTheAnswerAndKeepsTheNameOnCancel) {
    std::vector<ui::FileQuestion> asked;
    std::string answer = home.file("out/neu.txt");
    ui::FileDialog::SetChooser([&](const ui::FileQuestion& q) {
        asked.push_back(q);
        return answer;
    });
    ui::FrmExport dialog(nullptr, State(), Services());
    dialog.show();
    ChooseByKeyboard(dialog, dialog.cboSchema->findText("Kunden"));
    QTest::mouseClick(dialog.cmdFileName, Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Dateiname");
    EXPECT_EQ(asked[0].pattern, "*.*");
    // The question starts at the current output file.
    EXPECT_EQ(asked[0].folder + "/" + asked[0].fileName, outFile());
    EXPECT_EQ(dialog.txtFileName->text().toStdString(), answer);
    answer.clear();
    QTest::mouseClick(dialog.cmdFileName, Qt::LeftButton);
    EXPECT_EQ(dialog.txtFileName->text().toStdString(), home.file("out/neu.txt"));
    // F9 without criteria: the form's warning, the protocol switch as ticked stored, the dialog
    // open.
    QTest::mouseClick(dialog.chkProtokoll, Qt::LeftButton);
    QTest::keyClick(dialog.txtFileName, Qt::Key_F9);
    ASSERT_EQ(Calls("ShowMessage").size(), 1u);
    EXPECT_EQ(Calls("ShowMessage")[0].text, "Bitte geben Sie Selektionskriterien an!");
    EXPECT_EQ(State().Settings().ReadValue("TQBExport", "ProtokollErzeugen", "tester", "unset"),
              "0");
    EXPECT_TRUE(dialog.isVisible());
    dialog.close();
}

TEST_F(ExportDialogTest, TheFileDialogIsQtsOwnInGermanAndStartsAtTheOutputFile) {
    ui::InstallGermanTranslations();
    WriteBytes(outFile(), "alt\r\n");
    const QString written =
        QLocale(QLocale::German, QLocale::Germany)
            .toString(QFileInfo(QString::fromStdString(outFile())).lastModified(),
                      "dd.MM.yyyy HH:mm");
    ui::FrmExport dialog(nullptr, State(), Services());
    dialog.show();
    ChooseByKeyboard(dialog, dialog.cboSchema->findText("Kunden"));
    const auto click = [&] { QTest::mouseClick(dialog.cmdFileName, Qt::LeftButton); };
    EXPECT_TRUE(WhileModal(click, [&](QWidget* modal) {
        auto* question = qobject_cast<QFileDialog*>(modal);
        if (!question) return false;
        // The list fills on a thread of its own: the file's row may come a turn later.
        auto* list = question->findChild<QTreeView*>("treeView");
        auto* files = qobject_cast<QFileSystemModel*>(
            question->proxyModel() ? question->proxyModel()->sourceModel() : nullptr);
        if (!list || !files) return false;
        const QModelIndex row = question->proxyModel()->mapFromSource(
            files->index(QString::fromStdString(outFile()), 3));
        if (!row.isValid() || row.data().toString().isEmpty()) return false;
        // German under any system locale, and not cut.
        const QString date = row.data().toString();
        EXPECT_EQ(date, written);
        EXPECT_GT(list->header()->sectionSize(3), list->fontMetrics().horizontalAdvance(date));
        EXPECT_EQ(question->windowTitle(), "Dateiname");
        EXPECT_TRUE(question->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(question->directory().absolutePath().toStdString(), outFolder());
        auto* edit = question->findChild<QLineEdit*>("fileNameEdit");
        EXPECT_EQ(edit ? edit->text() : "", "kunden.txt");
        QStringList buttons;
        for (auto* button : question->findChildren<QPushButton*>()) buttons << button->text();
        EXPECT_TRUE(buttons.contains("Abbrechen")) << buttons.join("|").toStdString();
        // The type column comes from the name: the file's content is never read.
        EXPECT_EQ(question->iconProvider()->type(QFileInfo(QString::fromStdString(outFile()))),
                  "TXT-Datei");
        question->reject();
        return true;
    }));
    EXPECT_EQ(dialog.txtFileName->text().toStdString(), outFile());
    dialog.close();
}

}  // namespace
}  // namespace norvik::test
