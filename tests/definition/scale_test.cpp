#include <gtest/gtest.h>

#include <chrono>

#include "engine/tq_export.h"
#include "host/module_state.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

using ScaleTest = test::SessionFixture;

// A quadratic load took half a minute for this many parameters even in an optimised build; a
// linear one takes well under a second there and a few seconds under the sanitizers, so the bound
// is loose enough for a busy machine and still catches the quadratic kind.
TEST_F(ScaleTest, TwoHundredThousandParametersLoadQuickly) {
    constexpr int kCount = 200000;
    std::string text = "[Parameter]\r\n";
    for (int i = 0; i < kCount; ++i)
        text += "P" + std::to_string(i) + "=\"Parameter " + std::to_string(i) + "\",\"" +
                std::to_string(i) + "\"\r\n";
    text += "[DATENSATZ]\r\nPARAM P199999,T\r\n";
    const std::string path = exportPath() + "VIELE.EXP";
    test::WriteBytes(path, text);
    State().hostSettings->WriteValue("Export_VIELE", "p150000", "gespeichert", "Standard");

    TQExport engine(State(), Services());
    const auto start = std::chrono::steady_clock::now();
    engine.LoadFile(path);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("load_seconds", std::to_string(seconds));

    ASSERT_EQ(engine.ExpDef->Parameter->Count(), kCount);
    EXPECT_EQ(engine.ExpDef->Parameter->Item("P150000")->Value, "gespeichert");
    EXPECT_EQ(engine.ExpDef->Parameter->Item("p199999")->Caption, "Parameter 199999");
    EXPECT_EQ(engine.ExpDef->Parameter->Item(kCount)->Name, "P199999");
    ASSERT_EQ(engine.ExpDef->Records->Item(1)->Fields->Count(), 1);
    EXPECT_TRUE(messages->calls.empty());
    EXPECT_LT(seconds, 20.0);
}

}  // namespace
}  // namespace norvik
