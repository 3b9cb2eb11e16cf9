#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_fixture.h"
#include "common/text_codec.h"
#include "common/vb_convert.h"
#include "definition/exp_writer.h"
#include "support/cases.h"

namespace norvik {
namespace {

using test::CliOutcome;

class CliTest : public test::CliFixture {
  protected:
    std::string Demo() {
        const CliOutcome r = Run({"demo"});
        EXPECT_EQ(r.code, 0) << r.err;
        return exports();
    }
};

// The golden file as the file holds it, with the date filled in.
std::string Golden(const std::string& name) {
    std::string text =
        test::ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/cli/golden/" + name);
    text.replace(text.find("{DATE}    "), 10, TodayText());
    return test::DefinitionBytes(text);
}

TEST_F(CliTest, DemoHomeListsShowsAndWritesBack) {
    const std::string exports = Demo();
    EXPECT_TRUE(std::filesystem::exists(home() + "/host.sqlite"));
    EXPECT_TRUE(std::filesystem::exists(home() + "/norvik-export.ini"));

    const CliOutcome show = Run({"show", "kundenstamm csv"});
    EXPECT_EQ(show.code, 0) << show.err;
    // The definition names its file as %DataPath%\kunden.csv; shown with our separators.
    EXPECT_NE(show.out.find("Dateiname = \"" + home() + "/Daten/kunden.csv\""), std::string::npos)
        << show.out;
    EXPECT_NE(
        show.out.find("Sel01  Caption \"Kunde\"  ControlSource \"Kunden.Kundennummer\"  Typ 64"),
        std::string::npos);
    EXPECT_NE(show.out.find("BoundField \"Kundennummer\""), std::string::npos);
    EXPECT_EQ(Run({"show", exports + "BUCHUNGEN.EXP"}).code, 0);
    const CliOutcome profile = Run({"show", "finanzbuchhaltung"});
    EXPECT_EQ(profile.code, 0) << profile.err;
    EXPECT_EQ(profile.out.rfind("GDPdU-Profil " + exports + "FINANZBUCHHALTUNG.GDU\n", 0), 0u);
    EXPECT_NE(profile.out.find("3. \"Buchungen\"  Tabelle \"Buchungen\"  Definition "
                               "\"%DataPath%\\..\\Drivers\\Export\\GDPDU_BUCHUNGEN.EXP\""),
              std::string::npos)
        << profile.out;

    // Written back byte for byte in the writer's form; the output file as the definition names it,
    // not as a run remembered it.
    ASSERT_EQ(Run({"run", "Kontenplan", "--out", dir.file("k.txt"), "--where", "1=1"}).code, 0);
    const std::string saved = dir.file("kontenplan.EXP");
    ASSERT_EQ(Run({"save", "Kontenplan", saved, "--author", "Prüfer"}).code, 0);
    EXPECT_EQ(test::ReadBytes(saved), Golden("kontenplan_saved.EXP"));
}

// The calls of cases/calls.tsv on a demo home, one after the other: the exit code, the output and
// the error output ("*" for any text), then the arguments. {HOME}, {EXPORTS} and {DIR} stand for
// the home, its export folder and the test's folder; a call starting with --version, --help or
// --home is made without the home.
TEST_F(CliTest, EachCallGivesItsExitCodeAndOutput) {
    Demo();
    std::filesystem::create_directories(dir.file("ordner.EXP"));
    RunCallTable("cli/cases/calls.tsv",
                 {{"{EXPORTS}", exports()},
                  {"{HOME}", home()},
                  {"{DIR}", dir.path().string()},
                  {"{CASES}", std::string(NORVIK_SOURCE_DIR) + "/tests/cli/cases"}});
}

TEST_F(CliTest, HelpStartsNoSession) {
    EXPECT_EQ(Run({"list", "--help"}).code, 0);
    EXPECT_FALSE(std::filesystem::exists(home()));
}

TEST_F(CliTest, AnEmptyMachineWorksFromTheFirstCommand) {
    const CliOutcome list = Run({"list"});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out, "Keine Exportdefinitionen in " + exports() + "\n");
    EXPECT_EQ(list.err, "");
    EXPECT_TRUE(std::filesystem::is_directory(home() + "/Daten"));

    // The template runs once its data source is filled in; it is never overwritten unasked.
    const std::string fresh = dir.file("Neu.EXP");
    ASSERT_EQ(Run({"new", fresh}).code, 0);
    const CliOutcome again = Run({"new", fresh});
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(again.err, "norvik-export: Die Datei " + fresh +
                             " gibt es schon; new überschreibt sie nur mit --force.\n");
    EXPECT_EQ(Run({"new", fresh, "--force"}).code, 0);
    std::string bytes = test::ReadBytes(fresh);
    const size_t source = bytes.find("\r\nDatenquelle=\r\n");
    ASSERT_NE(source, std::string::npos) << bytes;
    bytes.insert(source + 14, "SELECT 1 AS a UNION ALL SELECT 2");
    test::WriteBytes(fresh, bytes);
    const CliOutcome run = Run({"run", fresh});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(test::ReadBytes(home() + "/Daten/neu.csv"), "\r\n\r\n\r\n");

    // A misspelt section or key is named; a configured database that is not there is not made.
    const std::string ini = home() + "/norvik-export.ini";
    test::WriteBytes(ini, "[Datenbak]\nURL=sqlite:" + dir.file("firma.sqlite") +
                              "\n[Sitzung]\nBenutzr=anna\n[Auskunft]\nKunden=SELECT 1\n");
    const CliOutcome typo = Run({"list"});
    EXPECT_EQ(typo.code, 0);
    EXPECT_EQ(typo.err,
              "norvik-export: Warnung: " + ini +
                  ", Zeile 1: unbekannter Abschnitt [Datenbak]; gelesen werden [Datenbank], "
                  "[Sitzung], [Ordner] und [Auskunft]. Seine Einträge gelten nicht; die Datenbank "
                  "ist sqlite:" +
                  home() + "/host.sqlite.\nnorvik-export: Warnung: " + ini +
                  ", Zeile 4: unbekannter Schlüssel Benutzr in [Sitzung]; er gilt nicht.\n");
    test::WriteBytes(ini, "[Datenbank]\nURL=sqlite:" + dir.file("firma.sqlite") + "\n");
    const CliOutcome missing = Run({"list"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "norvik-export: Die Datenbank " + dir.file("firma.sqlite") +
                               " (URL in [Datenbank] von " + ini +
                               ") gibt es nicht. Bitte die URL prüfen; norvik-export demo legt "
                               "eine Demo-Datenbank an.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("firma.sqlite")));
}

TEST_F(CliTest, FailuresExitWithOne) {
    Demo();
    // Without a display the dialogs are not tried: Qt would abort the program.
    ::unsetenv("QT_QPA_PLATFORM");
    const CliOutcome gui = Run({"gui"});
    EXPECT_EQ(gui.code, 1);
    EXPECT_NE(gui.err.find("Die Dialoge brauchen eine grafische Oberfläche"), std::string::npos);

    test::WriteBytes(home() + "/norvik-export.ini", "[Datenbank]\nURL=mysql://nirgends\n");
    const CliOutcome db = Run({"list"});
    EXPECT_EQ(db.code, 1);
    EXPECT_NE(db.err.find("mysql"), std::string::npos);
}

TEST_F(CliTest, AppendFollowsTheDefinitionAndOnlyItsSwitchCanChange) {
    const std::string out = dir.file("a.txt");
    struct Case {
        const char* anfuegen;
        const char* aenderbar;
        std::vector<std::string> options;
        int code;
        int lines;  // lines of the file after two runs
    };
    const Case cases[] = {
        {"j", "N", {}, 0, 2},  // a lower-case "j" appends, as the run compares upper-cased
        {"N", "N", {}, 0, 1},
        {"J", "N", {"--no-append"}, 2, 0},  // the definition fixes its choice
        {"N", "n", {"--append"}, 2, 0},
        {"N", "J", {"--append"}, 0, 2},
        {"J", "J", {"--no-append"}, 0, 1},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(out);
        test::WriteBytes(
            exports() + "A.EXP",
            test::DefinitionBytes(std::string("[Allgemein]\nName=A\nDatenquelle=SELECT "
                                              "1 AS i\nDateiname=") +
                                  out + "\nAnfuegen=" + c.anfuegen + "\nAnfuegenAenderbar=" +
                                  c.aenderbar + "\n[DATENSATZ]\nFIELD i,N,,0\n"));
        for (int run = 0; run < 2; ++run) {
            std::vector<std::string> args = {"run", "A"};
            args.insert(args.end(), c.options.begin(), c.options.end());
            const CliOutcome r = Run(args);
            EXPECT_EQ(r.code, c.code) << c.anfuegen << c.aenderbar << r.err;
            if (c.code == 2) {
                EXPECT_NE(r.err.find("AnfuegenAenderbar"), std::string::npos) << r.err;
            }
        }
        const std::string bytes = c.lines > 0 ? test::ReadBytes(out) : "";
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), c.lines)
            << c.anfuegen << c.aenderbar;
    }
}

TEST_F(CliTest, TheStoredProtocolChoiceHoldsWithoutASwitch) {
    Demo();
    const auto stored = [&] {
        return Run({"settings", "get", "TQBExport", "ProtokollErzeugen"}).out;
    };
    const auto entries = [&] {
        const std::string text = Run({"protocol", "--last", "100"}).out;
        size_t count = 0;
        for (size_t p = 0; (p = text.find("  Datenexport  Kontenplan", p)) != std::string::npos;
             ++p)
            ++count;
        return count;
    };
    const std::vector<std::string> run = {"run",     "Kontenplan", "--out", dir.file("k.txt"),
                                          "--where", "1=1"};
    auto with = [&](const char* option) {
        std::vector<std::string> args = run;
        if (*option) args.push_back(option);
        EXPECT_EQ(Run(args).code, 0);
    };
    with("--no-protocol");
    EXPECT_EQ(stored(), "0\n");
    const auto before = entries();
    with("");
    EXPECT_EQ(stored(), "0\n");  // left alone, and no entry written
    EXPECT_EQ(entries(), before);
    with("--protocol");
    EXPECT_EQ(stored(), "1\n");
    EXPECT_EQ(entries(), before + 1);
    with("");
    EXPECT_EQ(stored(), "1\n");
    EXPECT_EQ(entries(), before + 2);
    EXPECT_EQ(Run({"run", "Kontenplan", "--protocol", "--no-protocol"}).code, 2);
}

// A cron line's output depends on its command line: a bare --out lies in the working folder, a
// remembered file is named, --no-remember and --out - leave the remembered one alone.
TEST_F(CliTest, TheOutputIsWhatTheCommandLineSays) {
    Demo();
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::string probe = dir.file("probe.csv"), own = home() + "/Daten/kontenplan.txt";
    const std::string note = "norvik-export: Ausgabedatei aus der letzten Wahl: " + probe +
                             " (--out wählt eine andere, --no-remember nimmt die der Definition)\n";
    struct Case {
        std::vector<std::string> options;
        int code;
        std::string written;  // the file the run writes, empty for none
        std::string err;      // the error output, "*" when not compared
        bool quiet;           // nothing on the output
    };
    const Case cases[] = {
        {{"--out", "probe.csv"}, 0, probe, "", false},
        {{}, 0, probe, note, false},
        {{"--no-remember"}, 0, own, "", false},
        {{"--out", "-"}, 0, "", "*", false},
        {{"-q"}, 0, probe, "", true},
        {{"--out", ""}, 2, "", "*", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "" : c.options[0]);
        std::filesystem::remove(probe);
        std::filesystem::remove(own);
        std::vector<std::string> args = {"run", "Kontenplan", "--where", "1=1"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliOutcome r = Run(args);
        EXPECT_EQ(r.code, c.code) << r.err;
        if (c.err != "*") {
            EXPECT_EQ(r.err, c.err);
        }
        EXPECT_EQ(r.out.empty(), c.quiet) << r.out;
        for (const std::string& file : {probe, own})
            EXPECT_EQ(std::filesystem::exists(file), file == c.written) << file;
        if (!c.written.empty()) {
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), c.quiet ? 0 : 4);
        }
    }
    // To the output: the file's bytes, and the summary beside them.
    const CliOutcome piped = Run({"run", "Kontenplan", "--where", "1=1", "--out", "-"});
    ASSERT_EQ(Run({"run", "Kontenplan", "--where", "1=1", "--out", dir.file("k.txt")}).code, 0);
    EXPECT_EQ(piped.out, test::ReadBytes(dir.file("k.txt")));
    EXPECT_NE(piped.err.find("\nAusgabedatei: - (Standardausgabe)\n"), std::string::npos)
        << piped.err;
    std::filesystem::current_path(before);
}

}  // namespace
}  // namespace norvik
