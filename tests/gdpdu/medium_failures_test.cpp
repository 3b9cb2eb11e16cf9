// Builds that fail, are stopped or end with findings, and the last steps of one that succeeds: what
// the medium folder holds afterwards, what the protocol says and which messages the user sees.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "gdpdu/gdpdu_text.h"
#include "host/cancel_request.h"
#include "host/module_state.h"
#include "host/user_settings.h"
#include "medium_fixture.h"
#include "support/cases.h"
#include "support/session/definition_text.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

// The failures need no second database; they run on SQLite.
class MediumFailureTest : public MediumTest {
  protected:
    // The protocol's lines without its opening and the tables' summaries, one a line (line breaks
    // inside them written as "\r" and "\n").
    std::string OwnLines() const {
        std::string lines;
        for (const std::string& call : *protocol) {
            if (call.starts_with("line:Schnittstelle:") || call.starts_with("open:")) continue;
            for (const char c : call)
                lines += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
            lines += "\n";
        }
        return lines;
    }
    // The names in the medium folder, sorted, each followed by a blank.
    std::string Entries() const {
        std::string text;
        for (const auto& [name, bytes] : Snapshot())
            if (!name.starts_with("../")) text += name + " ";
        return text;
    }
    // The text with {MEDIUM}, {EXPORT} and the texts defined in the table put in.
    std::string Filled(std::string text, const std::map<std::string, std::string>& names) const {
        std::vector<std::pair<std::string, std::string>> with(names.begin(), names.end());
        with.insert(with.end(), {{"{MEDIUM}", medium},
                                 {"{EXPORT}", State().exportPath},
                                 {"{HOME}", home.path().string()},
                                 {"{PUBLISHED}", PublishedDtd()}});
        for (std::string before; before != text;) text = test::Filled(before = text, with);
        return text;
    }
    // Redirects the build into another folder.
    void BuildInto(const std::string& folder) {
        gdpdu.Pfad = folder;
        for (const auto& entry : *gdpdu.GxpFiles)
            entry->Export->ExpDef->Dateiname =
                folder + "/" + FileNameOnly(entry->Export->ExpDef->Dateiname);
    }
};

// Stops the build once its first table is exported, as "Abbrechen" does.
class StopAfterFirstTable : public GdpduBuildEvents {
    void TableStarted(int32_t number, int32_t, const std::string&) override {
        if (number == 2) RequestCancel();
    }
};

// The cases of cases/builds.tsv. A build that does not succeed leaves the folder byte for byte as
// it found it, one that succeeds replaces the medium.
TEST_P(MediumFailureTest, EachBuildLeavesItsFolderProtocolAndMessages) {
    ASSERT_TRUE(ProvideDtd());
    WriteBytes(home.file("data/FREI.EXP"),
               DefinitionBytes("[Allgemein]\nName=Frei\nDatenquelle=SELECT k1.nr, k1.name FROM "
                               "konten k1, konten k2, konten k3\nDateiname=frei.txt\n"
                               "[DATENSATZ]\nFIELD nr,N,,0,,,,\nFIELD name,D,,0,,,,\n"));
    WriteBytes(home.file("data/GROSS.EXP"),
               DefinitionBytes("[Allgemein]\nName=Gross\nDatenquelle=WITH RECURSIVE n(i) AS "
                               "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) SELECT "
                               "i FROM n\nDateiname=gross.txt\n[DATENSATZ]\nFIELD i,N,,0,,,,\n"));
    WriteBytes(home.file("data/KONTEN2.EXP"), ReadBytes(home.file("data/KONTEN.EXP")));
    StopAfterFirstTable stopper;
    rlimit fileSize{};
    ::getrlimit(RLIMIT_FSIZE, &fileSize);
    // The steps of a case before its build, and what else must hold after it.
    const auto act = [&](const std::string& step, const std::map<std::string, std::string>& names) {
        std::istringstream words(Filled(step, names));
        std::string what, a, rest;
        words >> what >> a;
        std::getline(words.ignore(1), rest);
        const std::string b = rest.substr(0, rest.find(' '));
        EXPECT_NE(std::string(" stop file-size remove mkdir write setenv into unselect untype "
                              "datafile def link no-file-manager same missing golden remembered "
                              "holds lacks shown-findings ")
                      .find(" " + what + " "),
                  std::string::npos)
            << step;
        if (what == "stop") gdpdu.Advise(&stopper);
        if (what == "file-size") {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{std::stoul(a), fileSize.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        if (what == "remove") fs::remove(a);
        if (what == "mkdir") fs::create_directories(a);
        if (what == "write") WriteBytes(a, b);
        if (what == "setenv") ::setenv(a.c_str(), b.c_str(), 1);
        if (what == "into") BuildInto(a);
        if (what == "link") fs::create_symlink(b, a);
        if (what == "datafile")
            gdpdu.GxpFiles->Item(std::stoi(a))->Export->ExpDef->Dateiname =
                rest.starts_with('/') ? rest : MediumFile(rest);
        if (what == "def") {
            TQExportDef& def = *gdpdu.GxpFiles->Item(std::stoi(a))->Export->ExpDef;
            const std::string key = rest.substr(0, rest.find('=')),
                              value = rest.substr(key.size() + 1);
            for (const auto& record : *def.Records)
                for (const auto& field : *record->Fields)
                    if (key == "PK" && field->Name == value) field->Schlüssel = "PK";
            std::map<std::string, std::string*> texts{{"Dezimaltrenner", &def.Dezimaltrenner},
                                                      {"Ersatzzeichen", &def.Ersatzzeichen},
                                                      {"Anfügen", &def.Anfügen}};
            if (texts.count(key)) *texts[key] = value;
        }
        for (const auto& e : *gdpdu.GxpFiles)
            if (what == "unselect" && (a == "all" || e->FileName.find(a) != std::string::npos))
                e->Selected = false;
        if (what == "untype")
            gdpdu.GxpFiles->Item(1)->Export->ExpDef->Records->Item(1)->Fields->Item(1)->FeldTyp =
                "X";
        if (what == "no-file-manager") {
            messages->answer = kAnswerYes;
            shell->result = false;
        }
        // After the build.
        EXPECT_TRUE(what != "same" || ReadBytes(a) == ReadBytes(b)) << a;
        EXPECT_TRUE(what != "missing" || !fs::exists(a)) << a;
        EXPECT_TRUE(what != "golden" || ReadBytes(MediumFile(a)) == Golden(a)) << a;
        EXPECT_TRUE(what != "holds" || ReadBytes(a).find(rest) != std::string::npos) << step;
        EXPECT_TRUE(what != "lacks" || ReadBytes(a).find(rest) == std::string::npos) << step;
        EXPECT_TRUE(what != "remembered" ||
                    GetSetting("TQBExport", "Schnittstelle", "Prüfung 2026") == medium);
        if (what == "shown-findings") {
            // The findings shown are the first ones protocolled.
            std::string shown = "Prüfung des Datenträgers:";
            for (size_t i = 1; i <= 10; ++i) shown += "\\r\\n" + protocol->at(i + 2).substr(5);
            EXPECT_NE(DescribeMessages(*messages).find(shown), std::string::npos);
        }
    };
    const auto steps = [&](const std::string& text,
                           const std::map<std::string, std::string>& names) {
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find(" + ", at), text.size());
            act(text.substr(at, end - at), names);
            at = end + 3;
        }
    };
    std::map<std::string, std::string> names;
    int cases = 0;
    for (const CaseRow& c : ReadCases("gdpdu/cases/builds.tsv")) {
        if (c[0].starts_with("{")) {
            names[c[0]] = c[1];
            continue;
        }
        SCOPED_TRACE(c.where + " " + c[0]);
        ++cases;
        fs::remove_all(medium);
        fs::remove_all(medium + ".zip");
        fs::create_directories(medium);
        ProvideDtd();
        ::setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
        messages->answer = kAnswerNo;
        shell->result = true;
        // Last year's medium.
        LoadStandardProfile();
        gdpdu.HandoverZip = false;
        gdpdu.DatumVon = DateTime{2025, 1, 1, 0, 0, 0};
        gdpdu.DatumBis = DateTime{2025, 12, 31, 0, 0, 0};
        gdpdu.BuildGDPdU();
        ASSERT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
        if (c[1].empty())
            LoadStandardProfile();
        else
            LoadProfile("[Allgemein]\nName=Prüfung 2026\n[Dateien]\n" + c[1] + "\n");
        gdpdu.HandoverZip = true;
        steps(c[2], names);
        const auto before = Snapshot();
        messages->calls.clear();
        protocol->clear();
        shell->folders.clear();
        busy.clear();
        gdpdu.BuildGDPdU();
        gdpdu.Advise(nullptr);
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        ::signal(SIGXFSZ, SIG_DFL);
        ::unsetenv("NORVIK_SHARED_DIR");
        const std::string outcome = c[3];
        const bool failed = outcome == "Failed" || outcome == "Stopped";
        EXPECT_EQ(gdpdu.LastOutcome(), outcome == "Stopped"     ? GdpduOutcome::Stopped
                                       : outcome == "Failed"    ? GdpduOutcome::Failed
                                       : outcome == "Succeeded" ? GdpduOutcome::Succeeded
                                                                : GdpduOutcome::Aborted);
        if (failed)
            EXPECT_EQ(Snapshot(), before);
        else
            EXPECT_EQ(Entries(), Filled(c[4], names));
        EXPECT_TRUE(Matches(OwnLines(), Filled(c[5], names))) << OwnLines();
        EXPECT_TRUE(Matches(DescribeMessages(*messages), Filled(c[6], names)))
            << DescribeMessages(*messages);
        EXPECT_EQ(busy, (std::vector<bool>{true, false}));
        // A build that fails leaves no ZIP.
        EXPECT_EQ(fs::is_regular_file(medium + ".zip"), !failed);
        if (c.fields.size() > 7) steps(c[7], names);
    }
    EXPECT_GE(cases, 16);
}

// A staging folder no build holds was left by a killed one: dropped, or put in place when it was
// complete and already going in place.
TEST_P(MediumFailureTest, TheNextBuildDealsWithAKilledBuildsStagingFolder) {
    ASSERT_TRUE(ProvideDtd());
    LoadStandardProfile();
    gdpdu.BuildGDPdU();
    ASSERT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    const auto stage = [this](const std::string& name, bool complete) {
        fs::create_directories(MediumFile(name));
        WriteBytes(MediumFile(name + "/Index.xml"), name);
        if (complete) fs::create_directories(MediumFile(name + "/.norvik-earlier"));
    };
    stage(".norvik-medium-halb", false);
    stage(".norvik-medium-fertig", true);
    stage(".norvik-medium-lebt", true);
    const int held = ::open(MediumFile(".norvik-medium-lebt").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_SH), 0);
    // A build that fails after its start shows what the killed one left.
    Sql("DROP TABLE buchungen");
    gdpdu.BuildGDPdU();
    ::close(held);
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    EXPECT_EQ(Entries(),
              ".norvik-medium-lebt Index.xml buchungen.txt gdpdu-01-08-2002.dtd konten.txt ");
    EXPECT_EQ(ReadBytes(MediumFile("Index.xml")), ".norvik-medium-fertig");
}

INSTANTIATE_TEST_SUITE_P(Sqlite, MediumFailureTest, ::testing::Values("sqlite"));

}  // namespace
}  // namespace norvik::test
