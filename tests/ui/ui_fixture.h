#pragma once
// Dialog tests: an offscreen QApplication for the whole program and a started session with a
// customer table and two export definitions.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "support/session/session_fixture.h"

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
};

// One control of a dialog's designed table: its state at start and its tool tip.
struct DesignedControl {
    QWidget* widget;
    bool enabled;
    const char* toolTip;
};
// Checks each control's state and tool tip, and that the focus chain visits them in table order.
void ExpectDesignedControls(const std::vector<DesignedControl>& controls);

// Runs the event loop until the condition holds (or a bound of iterations passes); true when it
// holds.
bool ProcessUntil(const std::function<bool()>& condition);

}  // namespace norvik::test
