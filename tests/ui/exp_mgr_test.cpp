#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <sstream>

#include "standalone/cli_context.h"
#include "ui/frm_export.h"
#include "ui/frm_gdpdu.h"
#include "ui/tq_exp_mgr.h"
#include "ui_fixture.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;
using ExpMgrTest = UiTest;

// Runs show; once its dialog is up, runs action on it and closes it.
void WhenOpen(const std::function<void()>& show, const std::function<void(QDialog&)>& action) {
    EXPECT_TRUE(WhileModal(show, [&](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog) return false;
        action(*dialog);
        dialog->close();
        return true;
    }));
}

TEST_F(ExpMgrTest, InitStartsTheSessionOrReportsWhatIsMissing) {
    TQExpMgr manager;
    EXPECT_FALSE(manager.Export() || manager.GDPdU());
    EXPECT_TRUE(manager.Init(session));
    EXPECT_TRUE(manager.Export() && manager.GDPdU());
    const auto first = manager.Export();
    EXPECT_TRUE(manager.Init(session));
    EXPECT_NE(manager.Export(), first);
    EXPECT_TRUE(Calls("ReportError").empty());

    auto bare = std::make_shared<HostSession>(*session);
    bare->environment.reset();
    EXPECT_FALSE(manager.Init(bare));
    ASSERT_EQ(Calls("ReportError").size(), 1u);
    const auto report = Calls("ReportError")[0];
    EXPECT_EQ(report.className + "." + report.operation, "TQExpMgr.Init");
    EXPECT_EQ(report.number, 438);
    EXPECT_TRUE(report.flag);
}

TEST_F(ExpMgrTest, ShowOpensEachDialogOnceAndReloadsItOnTheNextShow) {
    TQExpMgr manager;
    ASSERT_TRUE(manager.Init(session));
    for (int32_t mode : {0, 3, -1}) manager.Show(mode);
    EXPECT_EQ(manager.Dialog(cTQExport), nullptr);
    EXPECT_EQ(manager.Dialog(cTQGDPdU), nullptr);

    WhenOpen([&] { manager.Show(cTQExport); },
             [](QDialog& dialog) {
                 auto& frm = dynamic_cast<ui::FrmExport&>(dialog);
                 EXPECT_EQ(frm.cboSchema->currentIndex(), -1);
                 frm.LoadSchema("Kunden");
                 EXPECT_TRUE(frm.cmdOK->isEnabled());
             });
    QDialog* first = manager.Dialog(cTQExport);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->isVisible());

    // The same window, loaded afresh: nothing chosen, OK disabled again.
    WhenOpen([&] { manager.Show(cTQExport); },
             [first](QDialog& dialog) {
                 EXPECT_EQ(&dialog, first);
                 auto& frm = dynamic_cast<ui::FrmExport&>(dialog);
                 EXPECT_EQ(frm.cboSchema->count(), 2);
                 EXPECT_EQ(frm.cboSchema->currentIndex(), -1);
                 EXPECT_FALSE(frm.cmdOK->isEnabled());
             });
    EXPECT_EQ(manager.Dialog(cTQExport), first);

    WhenOpen([&] { manager.Show(cTQGDPdU); },
             [](QDialog& dialog) {
                 EXPECT_EQ(dialog.windowTitle(), "Datenträgerüberlassung Finanzamt");
             });
    EXPECT_NE(manager.Dialog(cTQGDPdU), nullptr);
    EXPECT_TRUE(Calls("ReportError").empty());
}

TEST_F(ExpMgrTest, ReleasingTheManagerReleasesTheSettingsButNotTheSession) {
    {
        TQExpMgr manager;
        ASSERT_TRUE(manager.Init(session));
        EXPECT_TRUE(State().hostSettings);
    }
    EXPECT_FALSE(State().hostSettings);
    EXPECT_EQ(State().session, session);
}

// The dialog and the command line build the same medium from the same choices.
TEST(ExpMgrMedium, TheDialogBuildsTheMediumTheCommandLineBuilds) {
    TempDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    const std::string home = dir.file("home");
    const std::string byCli = dir.file("cli"), byDialog = dir.file("dialog");
    fs::create_directories(byCli);
    fs::create_directories(byDialog);
    std::ostringstream out, err;
    ASSERT_EQ(standalone::RunCli({"--home", home, "demo"}, out, err), 0) << err.str();
    ASSERT_EQ(standalone::RunCli({"--home", home, "gdpdu", "Finanzbuchhaltung", "--from",
                                  "01.07.2025", "--to", "30.06.2026", "--out", byCli},
                                 out, err),
              0)
        << err.str();

    standalone::CliContext ctx(home, "", false, out, err);
    auto messages = std::make_shared<RecordingHostMessages>();
    Services().messages = messages;
    TQExpMgr manager;
    ASSERT_TRUE(manager.Init(ctx.OpenHostSession()));
    WhenOpen([&] { manager.Show(cTQGDPdU); },
             [&](QDialog& dialog) {
                 auto& frm = dynamic_cast<ui::FrmGdpdu&>(dialog);
                 EXPECT_EQ(frm.cboSchema->currentText(), "Finanzbuchhaltung");
                 frm.txtPath->setText(QString::fromStdString(byDialog));
                 frm.tdbDateVon->setDate(QDate(2025, 7, 1));
                 frm.tdbDateBis->setDate(QDate(2026, 6, 30));
                 frm.cmdOK->click();
             });

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(byCli)) {
        const std::string name = entry.path().filename().string();
        names.push_back(name);
        EXPECT_EQ(ReadBytes(byDialog + "/" + name), ReadBytes(entry.path().string())) << name;
    }
    EXPECT_GE(names.size(), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(byDialog), fs::directory_iterator()),
              static_cast<std::ptrdiff_t>(names.size()));
    ASSERT_FALSE(messages->calls.empty());
    EXPECT_EQ(messages->calls.back().text.rfind("Die Datenausgabe wurde erfolgreich", 0), 0u)
        << messages->calls.back().text;
}

}  // namespace
}  // namespace norvik::test
