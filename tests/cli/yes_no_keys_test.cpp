// Each spelling of a yes/no key reads the same on the command line and in the export dialog's
// form, and the command line warns of the spellings that are neither a yes nor an accepted no.

#include <gtest/gtest.h>

#include "cli/cli_fixture.h"
#include "forms/export_form.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "support/cases.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

using test::CliOutcome;

class YesNoKeysTest : public test::CliFixture {};

std::string FlagDefinition(const std::string& output, const std::string& key,
                           const std::string& value) {
    // A key absent from the file takes its fallback, so every other key is written as its no or,
    // for the selection, its yes.
    std::string general =
        "\nanfuegen=N\nkopfzeile=N\nanfuegenaenderbar=N\nallowemptyselection=Y\n"
        "allevorlaufsaetze=N\ntexterkennerdoppeln=N\n";
    const size_t at = general.find("\n" + key + "=") + 1;
    general.replace(at, general.find('\n', at) - at, key + "=" + value);
    return test::DefinitionBytes(
        "[Allgemein]\nName=Schalter\nDatenquelle=SELECT 1 AS nr\nDateiname=" + output + general +
        "[Selektion]\nSel01=\"Nummer\";\"nr\";0;10;\"\";\"\";\"\"\n"
        "[DATENSATZ]\nFIELD nr,N,,0\n" +
        // A numbered header is a section only with AlleVorlaufsaetze; else its field joins the
        // data.
        (key == "allevorlaufsaetze" ? "[VORLAUFSATZ2]\nCONST v,V,,0\n" : "") +
        (key == "texterkennerdoppeln" ? "CONST \"a\"\"b\",T,,0\n" : ""));
}

TEST_F(YesNoKeysTest, EachSpellingReadsAlikeInBothFrontEnds) {
    for (const test::CaseRow& c : test::ReadCases("cli/cases/yes_no_keys.tsv")) {
        SCOPED_TRACE(c.where + ": " + c[0] + "=" + c[1]);
        const std::string key = c[0], output = dir.file("schalter.txt");
        const bool yes = c[2] == "J";
        test::WriteBytes(exports() + "SCHALTER.EXP", FlagDefinition(output, key, c[1]));
        test::WriteBytes(output, "alt\r\n");
        const bool appendAsked = key == "anfuegenaenderbar";
        std::vector<std::string> args = {"-q", "run", "SCHALTER.EXP", "--no-remember"};
        if (appendAsked) args.push_back("--append");
        const CliOutcome r = Run(args);
        EXPECT_EQ(r.err.find("ist weder") != std::string::npos, c[3] == "1") << r.err;
        EXPECT_EQ(test::ReadBytes(output), c[4]);
        // Only a refused append or an empty selection fails the run.
        EXPECT_EQ(r.code == 0, appendAsked || key == "allowemptyselection" ? yes : true) << r.err;

        // The dialog's form on a session of its own shows the same reading.
        test::TestSession session;
        session.Start();
        test::WriteBytes(session.exportPath() + "SCHALTER.EXP", FlagDefinition(output, key, c[1]));
        ExportForm form(State(), Services());
        form.Activate();
        form.LoadSchema("Schalter");
        EXPECT_TRUE(key != "anfuegen" || form.controls.appendChecked == yes);
        EXPECT_TRUE(!appendAsked || form.controls.appendEnabled == yes);
        session.Stop();
    }
}

}  // namespace
}  // namespace norvik
