#pragma once
// Dialog tests: an offscreen QApplication for the whole program and a started session with a
// customer table and the two export definitions of cases/.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "support/session/session_fixture.h"
#include "ui/frm_exp_progress.h"
#include "ui/frm_export.h"

namespace norvik::test {

class UiTest : public SessionFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The folder of the output files.
    std::string outFolder() const { return home.file("out"); }
    // The output file of the definition "Kunden".
    std::string outFile() const { return home.file("out") + "/kunden.txt"; }
    // The definition file of "Kunden".
    std::string kundenFile() const { return exportPath() + "KUNDEN.EXP"; }
    // The export dialog, shown, with the definition of that display name chosen in its list.
    std::unique_ptr<ui::FrmExport> OpenExport(const std::string& name);
    // The progress window of the dialog's chosen definition, shown, its run not yet started.
    std::unique_ptr<ui::FrmExpProgress> Progress(ui::FrmExport& dialog);
};

// One control of a dialog's designed table: its state at start and its tool tip.
struct DesignedControl {
    QWidget* widget;
    bool enabled;
    const char* toolTip;
};
// Checks each control's state and tool tip, and that the focus chain visits them in table order.
void ExpectDesignedControls(const std::vector<DesignedControl>& controls);

// Triggers what opens a modal window (a click, a key) and meanwhile calls poll with the active
// modal window at every turn of the event loop until it returns true. After timeoutMs the test
// fails and every modal window is hidden, so that no wait goes on forever; false then.
bool WhileModal(const std::function<void()>& trigger, const std::function<bool(QWidget*)>& poll,
                int timeoutMs = 60000);

}  // namespace norvik::test
