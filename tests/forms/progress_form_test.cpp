#include "forms/progress_form.h"

#include <gtest/gtest.h>

#include "forms/export_form.h"
#include "forms/pump_throttle.h"
#include "host/module_state.h"
#include "host/shell_service.h"
#include "support/cases.h"
#include "support/session/session_fixture.h"

namespace norvik::test {
namespace {

using ProgressFormTest = SessionFixture;

TEST_F(ProgressFormTest, TheWindowFollowsTheRunAndClosesOnlyAfterIt) {
    Sql("CREATE TABLE kunden (nr INTEGER)");
    Sql("INSERT INTO kunden VALUES (1), (2)");
    const struct {
        const char* source;
        int16_t percent;
    } cases[] = {{"kunden", 100}, {"fehlt", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        WriteBytes(exportPath() + "K.EXP",
                   DefinitionBytes(std::string("[Allgemein]\nName=Kunden\nDatenquelle=") +
                                   c.source + "\n[DATENSATZ]\nFIELD nr,N,,0\n"));
        std::vector<bool> busy;
        Services().busyPointer = [&](bool on) { busy.push_back(on); };
        ExportForm form(State(), Services());
        form.Activate();
        form.LoadSchema("Kunden");
        form.controls.fileName = home.file("k.txt");
        ASSERT_TRUE(form.ExportData());
        ProgressForm window(Services());
        form.ShowProgress(window);
        EXPECT_FALSE(window.CanClose() || window.closeEnabled || window.openEnabled);
        EXPECT_EQ(window.schnittstelle + "|" + window.datei, "Kunden|" + home.file("k.txt"));
        window.Activate();
        window.Activate();  // the run starts once
        EXPECT_EQ(busy, (std::vector<bool>{true, false}));
        EXPECT_TRUE(window.CanClose() && window.closeEnabled && window.openEnabled);
        EXPECT_EQ(window.percent, c.percent);
        EXPECT_NE(window.info, kProgressStartText);
    }
}

// The cases of cases/run_ends.tsv.
TEST_F(ProgressFormTest, AStoppedRunSaysAfterHowManyRowsAndThatTheFileIsUnchanged) {
    for (const CaseRow& row : ReadCases("forms/cases/run_ends.tsv")) {
        SCOPED_TRACE(row.where);
        ProgressForm window(Services());
        if (!row[0].empty()) window.RowsExported(std::stoll(row[0]));
        window.ExportState(row[1]);
        EXPECT_EQ(window.info + "|" + window.progress, row[2] + "|" + row[3]);
    }
}

TEST_F(ProgressFormTest, OpenFolderOpensTheOutputFilesFolderAsWritten) {
    auto shell = std::make_shared<RecordingShellService>();
    Services().shell = shell;
    TQExport engine(State(), Services());
    engine.ExpDef = std::make_shared<TQExportDef>();
    ProgressForm window(Services());
    window.SetExport(engine);
    for (const char* file : {"kunden.txt", "/mit Leer zeichen/k.txt"}) {
        engine.ExpDef->Dateiname = file;
        window.OpenFolder();
    }
    EXPECT_EQ(shell->folders, (std::vector<std::string>{"kunden.txt", "/mit Leer zeichen"}));
    EXPECT_TRUE(Calls("ShowMessage").empty());
    // Without a file manager the window says so and names the folder.
    shell->result = false;
    EXPECT_FALSE(window.OpenFolder());
    ASSERT_EQ(Calls("ShowMessage").size(), 1u);
    EXPECT_EQ(Calls("ShowMessage")[0].text,
              kFolderNotOpenedMessage + std::string("/mit Leer zeichen"));
}

TEST(PumpThrottleTest, ThePumpRunsAtMostOncePerInterval) {
    using namespace std::chrono_literals;
    std::chrono::steady_clock::time_point now{};
    int pumped = 0;
    PumpThrottle throttle([&] { ++pumped; }, 100ms, [&] { return now; });
    for (const CaseRow& row : ReadCases("forms/cases/pump_calls.tsv")) {
        now =
            std::chrono::steady_clock::time_point{} + std::chrono::milliseconds(std::stoi(row[0]));
        throttle();
        EXPECT_EQ(pumped, std::stoi(row[1])) << row.where;
    }
}

}  // namespace
}  // namespace norvik::test
