#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include "ui/frm_export.h"
#include "ui/tq_exp_mgr.h"
#include "ui_fixture.h"

namespace norvik::test {
namespace {

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

}  // namespace
}  // namespace norvik::test
