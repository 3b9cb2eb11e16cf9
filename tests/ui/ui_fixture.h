#pragma once
// Dialog tests: an offscreen QApplication for the whole program and a started session with a
// customer table and two export definitions.

#include <QWidget>
#include <string>

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

// Runs the event loop until the condition holds (or a bound of iterations passes); true when it
// holds.
bool ProcessUntil(const std::function<bool()>& condition);

}  // namespace norvik::test
