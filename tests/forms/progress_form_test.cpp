#include "forms/progress_form.h"

#include <gtest/gtest.h>

#include "forms/export_form.h"
#include "forms/pump_throttle.h"
#include "host/module_state.h"
#include "host/shell_service.h"
#include "support/session/session_fixture.h"

namespace norvik::test {
namespace {

using ProgressFormTest = SessionFixture;

// Runs the definition through the export dialog and the progress window; returns the window's
// texts after the run and whether it could close before.
struct RunSeen {
    bool closableBefore;
    std::vector<std::string> busy;
    std::string info, progress, schnittstelle, datei;
    int16_t percent;
    bool buttons;
};

RunSeen RunThroughTheWindows(const std::string& outFile) {
    RunSeen seen{};
    Services().busyPointer = [&](bool on) { seen.busy.push_back(on ? "an" : "aus"); };
    ExportForm form;
    form.Activate();
    form.LoadSchema("Kunden");
    form.controls.fileName = outFile;
    EXPECT_TRUE(form.ExportData());
    ProgressForm window;
    form.ShowProgress(window);
    seen.closableBefore = window.CanClose() || window.closeEnabled || window.openEnabled;
    window.Activate();
    window.Activate();  // a second activation runs nothing
    EXPECT_TRUE(window.CanClose());
    seen.info = window.info;
    seen.progress = window.progress;
    seen.schnittstelle = window.schnittstelle;
    seen.datei = window.datei;
    seen.percent = window.percent;
    seen.buttons = window.openEnabled && window.closeEnabled;
    return seen;
}

TEST_F(ProgressFormTest, TheWindowShowsTheRunAndClosesOnlyAfterIt) {
    Sql("CREATE TABLE kunden (nr INTEGER)");
    Sql("INSERT INTO kunden VALUES (1), (2)");
    WriteBytes(exportPath() + "K.EXP",
               DefinitionBytes("[Allgemein]\nName=Kunden\nDatenquelle=kunden\nDateiname=x\n"
                               "[DATENSATZ]\nFIELD nr,N,,0\n"));
    const RunSeen seen = RunThroughTheWindows(home.file("k.txt"));
    EXPECT_FALSE(seen.closableBefore);
    EXPECT_EQ(seen.busy, (std::vector<std::string>{"an", "aus"}));
    EXPECT_EQ(seen.schnittstelle, "Kunden");
    EXPECT_EQ(seen.datei, home.file("k.txt"));
    EXPECT_EQ(seen.percent, 100);
    EXPECT_NE(seen.progress, "");
    EXPECT_NE(seen.info, kProgressStartText);
    EXPECT_TRUE(seen.buttons);
}

TEST_F(ProgressFormTest, AFailedRunCanBeClosedAndItsFolderOpened) {
    WriteBytes(exportPath() + "K.EXP",
               DefinitionBytes("[Allgemein]\nName=Kunden\nDatenquelle=fehlt\nDateiname=x\n"
                               "[DATENSATZ]\nFIELD nr,N,,0\n"));
    const RunSeen seen = RunThroughTheWindows(home.file("k.txt"));
    EXPECT_TRUE(seen.buttons);
    EXPECT_EQ(seen.percent, 0);

    auto shell = std::make_shared<RecordingShellService>();
    Services().shell = shell;
    TQExport engine;
    engine.ExpDef = std::make_shared<TQExportDef>();
    ProgressForm window;
    window.SetExport(engine);
    for (const char* file : {"kunden.txt", "/mit Leer zeichen/k.txt"}) {
        engine.ExpDef->Dateiname = file;
        window.OpenFolder();
    }
    EXPECT_EQ(shell->folders, (std::vector<std::string>{"kunden.txt", "/mit Leer zeichen"}));
}

TEST(PumpThrottleTest, ThePumpRunsAtMostOncePerInterval) {
    using namespace std::chrono_literals;
    std::chrono::steady_clock::time_point now{};
    int pumped = 0;
    PumpThrottle throttle([&] { ++pumped; }, 100ms, [&] { return now; });
    const struct {
        std::chrono::milliseconds at;
        int pumpedAfter;
    } calls[] = {{0ms, 1},   {10ms, 1},  {99ms, 1},  {100ms, 2}, {150ms, 2},
                 {199ms, 2}, {250ms, 3}, {251ms, 3}, {1000ms, 4}};
    for (const auto& c : calls) {
        now = std::chrono::steady_clock::time_point{} + c.at;
        throttle();
        EXPECT_EQ(pumped, c.pumpedAfter) << c.at.count();
    }
}

}  // namespace
}  // namespace norvik::test
