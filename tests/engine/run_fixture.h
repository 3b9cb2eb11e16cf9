#pragma once
// An export engine on a started session over SQLite or a private PostgreSQL schema, with a recorded
// event listener and the test table "kunden".

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/tq_export.h"
#include "support/session/session_fixture.h"
#include "support/test_support.h"

namespace norvik::test {

// Every event of a run, as "Event:argument".
class RecordedEvents : public TQExportEvents {
  public:
    void Done(bool value) override { events.push_back(std::string("Done:") + (value ? "1" : "0")); }
    void ExportState(const std::string& text) override { events.push_back("ExportState:" + text); }
    void strInfo(const std::string& text) override { events.push_back("strInfo:" + text); }
    void ExportProgress(int16_t percent) override {
        events.push_back("ExportProgress:" + std::to_string(percent));
    }
    std::vector<std::string> events;
};

// The general section of a definition over every row of kunden.
inline const char* const kGeneral =
    "[Allgemein]\nName=Test\nDatenquelle=SELECT * FROM kunden ORDER BY nr\nDateiname={OUT}\n";

class RunTest : public ::testing::TestWithParam<std::string>, public TestSession {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a definition (UTF-8 lines with LF; "{OUT}" stands for the output file) and loads it.
    void Load(const std::string& text);
    // Runs the loaded definition and returns BuildExport's result.
    int32_t Run() { return engine->BuildExport(); }
    // The output file's bytes.
    std::string Output() const { return ReadBytes(out); }

    std::string out;
    std::unique_ptr<TQExport> engine;
    RecordedEvents listener;
};

}  // namespace norvik::test
