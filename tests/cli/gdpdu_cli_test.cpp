#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/cli_fixture.h"
#include "common/text_codec.h"
#include "host/shell_service.h"
#include "host/user_settings.h"
#include "support/test_support.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;

// A shell word for the argument.
std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t p = 0; (p = text.find(part, p)) != std::string::npos; p += part.size()) ++n;
    return n;
}

// norvik-export gdpdu on a demo home; no desktop, so no file manager can start.
class GdpduCliTest : public test::CliFixture {
  protected:
    // A demo home with its DTD; false when the DTD could not be found.
    bool Demo() {
        const CliOutcome r = Run({"demo"});
        EXPECT_EQ(r.code, 0) << r.err;
        return fs::exists(exports() + "gdpdu-01-08-2002.dtd");
    }
    std::string Folder(const std::string& name) {
        fs::create_directories(dir.file(name));
        return dir.file(name);
    }
    bool Valid(const std::string& folder) {
        return std::system(
                   ("cd " + Quoted(folder) + " && xmllint --valid --noout Index.xml").c_str()) == 0;
    }
};

TEST_F(GdpduCliTest, TheDemoProfileBuildsAValidMedium) {
    if (!Demo())
        GTEST_SKIP() << "needs the published GDPdU DTD " NORVIK_SHARED_DIR
                        "/gdpdu/gdpdu-01-08-2002.dtd";
    const CliOutcome list = Run({"list", "--gdpdu"});
    EXPECT_EQ(list.out, "Finanzbuchhaltung\t" + exports() + "FINANZBUCHHALTUNG.GDU\n");

    fs::create_directories(home() + "/Daten/GDPdU");
    const CliOutcome r =
        Run({"gdpdu", "finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026", "--zip"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string medium = home() + "/Daten/GDPdU";
    EXPECT_NE(r.out.find("\nZIP-Datei für die Übergabe geschrieben: " + medium + ".zip\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Schnittstelle: GDPdU Buchungen\nAusgabe Daten: 2200 Datensätze "
                         "exportiert.\nAusgabedatei: " +
                         medium + "/buchungen.txt\n"),
              std::string::npos)
        << r.out;
    // The question was the dialog's; without --yes it is answered.
    const std::string done = "\nDie Datenausgabe wurde erfolgreich ausgeführt.\n";
    EXPECT_EQ(r.out.rfind(done), r.out.size() - done.size()) << r.out;
    EXPECT_EQ(r.err, "");
    for (const char* file :
         {"sachkonten.txt", "kunden.txt", "buchungen.txt", "artikel.txt", "gdpdu-01-08-2002.dtd"})
        EXPECT_TRUE(fs::exists(medium + "/" + file)) << file;
    EXPECT_EQ(Count(test::ReadBytes(medium + "/buchungen.txt"), "\r\n"), 2200u);
    const std::string xml = test::ReadBytes(medium + "/Index.xml");
    EXPECT_EQ(Count(xml, "<Table>"), 6u);  // Artikel has a header and a trailer layout
    EXPECT_NE(xml.find("<Description>Buchungen vom 01.01.2026 bis 31.12.2026</Description>"),
              std::string::npos);
    EXPECT_NE(xml.find("<ColumnDelimiter>|</ColumnDelimiter>"), std::string::npos);
    EXPECT_TRUE(Valid(medium));
    for (const std::string& target : {medium, medium + ".zip"}) {
        const CliOutcome check = Run({"check", target});
        EXPECT_EQ(check.code, 0) << check.out;
        EXPECT_EQ(check.out, "Datenträger geprüft: keine Befunde.\n");
    }

    const CliOutcome protocol = Run({"protocol", "--last", "1"});
    EXPECT_NE(protocol.out.find("GDPdU - Datenausgabe  Finanzbuchhaltung"), std::string::npos)
        << protocol.out;
    EXPECT_NE(protocol.out.find("  Datei/Ordner: " + medium + "\n"), std::string::npos);
    EXPECT_NE(protocol.out.find("  Info: 01.01.2026 bis 31.12.2026\n"), std::string::npos);
    EXPECT_NE(protocol.out.find("  | XML-Datei erfolgreich erstellt.\n"), std::string::npos);
    EXPECT_NE(protocol.out.find("  | Datenträger geprüft: keine Befunde.\n"), std::string::npos);
    EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Finanzbuchhaltung"), medium);
}

TEST_F(GdpduCliTest, TablesSelectExactlyThoseAndAreRemembered) {
    if (!Demo())
        GTEST_SKIP() << "needs the published GDPdU DTD " NORVIK_SHARED_DIR
                        "/gdpdu/gdpdu-01-08-2002.dtd";
    const std::string first = Folder("eins");
    const CliOutcome r =
        Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.07.2026", "--to", "31.07.2026", "--out",
             first, "--table", "Kunden", "--table=sachkonten"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(first + "/kunden.txt"));
    EXPECT_TRUE(fs::exists(first + "/sachkonten.txt"));
    EXPECT_FALSE(fs::exists(first + "/buchungen.txt"));
    EXPECT_EQ(Count(test::ReadBytes(first + "/Index.xml"), "<Table>"), 2u);
    EXPECT_TRUE(Valid(first));
    for (const auto& [caption, stored] : std::vector<std::pair<std::string, std::string>>{
             {"Sachkonten", "1"}, {"Kunden", "1"}, {"Buchungen", "0"}, {"Artikel", "0"}})
        EXPECT_EQ(Run({"settings", "get", "TQBExport", "Finanzbuchhaltung_" + caption}).out,
                  stored + "\n")
            << caption;

    // Without --table the remembered selection holds, without --out the remembered folder; the
    // command says so.
    const std::string tablesNote =
        "norvik-export: gespeicherte Tabellenauswahl: 2 von 4 Tabellen (Sachkonten, Kunden); "
        "--all-tables nimmt alle, --table wählt, --no-remember nimmt alle ohne zu speichern\n";
    const std::string second = Folder("zwei");
    const CliOutcome stored = Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.07.2026", "--to",
                                   "31.07.2026", "--out", second});
    ASSERT_EQ(stored.code, 0);
    EXPECT_EQ(stored.err, tablesNote);
    EXPECT_TRUE(fs::exists(second + "/kunden.txt"));
    EXPECT_FALSE(fs::exists(second + "/artikel.txt"));
    fs::remove(second + "/kunden.txt");
    const CliOutcome folder =
        Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.07.2026", "--to", "31.07.2026"});
    ASSERT_EQ(folder.code, 0);
    EXPECT_EQ(folder.err, "norvik-export: Ausgabeordner aus der letzten Wahl: " + second +
                              " (--out wählt einen anderen, --no-remember nimmt den des "
                              "Profils)\n" +
                              tablesNote);
    EXPECT_TRUE(fs::exists(second + "/kunden.txt"));

    // --no-remember takes every table and leaves the stored choices; --all-tables stores them.
    const std::string third = Folder("drei");
    ASSERT_EQ(Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.07.2026", "--to", "31.07.2026",
                   "--out", third, "--no-remember"})
                  .err,
              "");
    EXPECT_TRUE(fs::exists(third + "/artikel.txt"));
    EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Finanzbuchhaltung"), second);
    EXPECT_EQ(Run({"settings", "get", "TQBExport", "Finanzbuchhaltung_Artikel"}).out, "0\n");
    const CliOutcome all = Run({"-q", "gdpdu", "Finanzbuchhaltung", "--from", "01.07.2026", "--to",
                                "31.07.2026", "--out", third, "--all-tables"});
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(all.out + all.err, "");
    EXPECT_EQ(Run({"settings", "get", "TQBExport", "Finanzbuchhaltung_Artikel"}).out, "1\n");

    const CliOutcome buchungen = Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.07.2026", "--to",
                                      "31.07.2026", "--out", second, "--table", "Buchungen"});
    EXPECT_EQ(buchungen.code, 0);
    const std::string lines = test::ReadBytes(second + "/buchungen.txt");
    EXPECT_GT(Count(lines, "\r\n"), 100u);
    EXPECT_EQ(lines.find(".06.2026;"), std::string::npos);
    EXPECT_EQ(lines.find(".08.2026;"), std::string::npos);
}

TEST_F(GdpduCliTest, YesOpensTheFolderOrNamesItWithoutADesktop) {
    if (!Demo())
        GTEST_SKIP() << "needs the published GDPdU DTD " NORVIK_SHARED_DIR
                        "/gdpdu/gdpdu-01-08-2002.dtd";
    const std::string folder = Folder("medium");
    const CliOutcome r = Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to",
                              "31.01.2026", "--out", folder, "--table", "Sachkonten", "--yes"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(std::string("Die Datenausgabe wurde erfolgreich ausgeführt.\n") +
                         kFolderNotOpenedMessage + folder + "\n"),
              std::string::npos)
        << r.out;
}

TEST_F(GdpduCliTest, UsageErrorsExitWithTwoAndOneLine) {
    Demo();
    const std::vector<std::vector<std::string>> cases = {
        {"gdpdu"},
        {"gdpdu", "Finanzbuchhaltung"},
        {"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026"},
        {"gdpdu", "Finanzbuchhaltung", "--from", "32.01.2026", "--to", "31.12.2026"},
        {"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026 10:00"},
        {"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026", "--table"},
        {"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026", "--table="},
        {"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026", "--bogus"},
        {"gdpdu", "a", "b", "--from", "01.01.2026", "--to", "31.12.2026"},
        {"gdpdu", "Gibt es nicht", "--from", "01.01.2026", "--to", "31.12.2026"},
        {"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026", "--table",
         "Lohn"},
        {"gdpdu", "Finanzbuchhaltung", "--from", "02.01.2026", "--to", "01.01.2026"},
        {"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026", "--table",
         "Kunden", "--all-tables"},
    };
    for (const auto& args : cases) {
        const CliOutcome r = Run(args);
        EXPECT_EQ(r.code, 2) << args.back() << "\n" << r.out << r.err;
        EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
    }
    EXPECT_EQ(Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026",
                   "--table", "Lohn"})
                  .err,
              "norvik-export: unbekannte Tabelle: Lohn (das Profil hat: Sachkonten, Kunden, "
              "Buchungen, Artikel)\n");
    // A table is named by what the messages and Index.xml show as well as by its caption.
    test::WriteBytes(exports() + "NAMEN.GDU",
                     "[Allgemein]\r\nName=Namen\r\n[Dateien]\r\nFile01=%DataPath%\\..\\Drivers\\"
                     "Export\\GDPDU_SACHKONTEN.EXP;;Konten;Sachkonten;\r\n");
    const std::vector<std::string> namen = {"gdpdu",      "Namen",         "--from",
                                            "01.01.2026", "--to",          "31.12.2026",
                                            "--out",      Folder("namen"), "--table"};
    for (const char* name : {"sachkonten", "Konten"}) {
        std::vector<std::string> args = namen;
        args.push_back(name);
        EXPECT_NE(Run(args).code, 2) << name;
    }
    std::vector<std::string> lohn = namen;
    lohn.push_back("Lohn");
    EXPECT_EQ(Run(lohn).err,
              "norvik-export: unbekannte Tabelle: Lohn (das Profil hat: Konten (Sachkonten))\n");

    // A period ending before it begins: refused before a selection is stored or a file written.
    const std::string folder = Folder("rueckwaerts");
    const CliOutcome backwards = Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.02.2026", "--to",
                                      "31.01.2026", "--out", folder, "--table", "Kunden"});
    EXPECT_EQ(backwards.code, 2);
    EXPECT_EQ(backwards.err, "norvik-export: --from 01.02.2026 liegt nach --to 31.01.2026\n");
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(Run({"settings", "get", "TQBExport", "Finanzbuchhaltung_Artikel"}).out,
              Run({"settings", "get", "TQBExport", "Finanzbuchhaltung_Kunden"}).out);
}

TEST_F(GdpduCliTest, RunsThatEndWithErrorsExitWithOne) {
    if (!Demo())
        GTEST_SKIP() << "needs the published GDPdU DTD " NORVIK_SHARED_DIR
                        "/gdpdu/gdpdu-01-08-2002.dtd";
    // A folder that does not exist: refused before anything is stored or written.
    const CliOutcome missing =
        Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026", "--out",
             dir.file("fehlt"), "--table", "Artikel"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "norvik-export: Der Ausgabeordner " + dir.file("fehlt") +
                               " existiert nicht. Bitte den Ordner anlegen oder mit --out einen "
                               "vorhandenen Ordner angeben.\n");
    EXPECT_EQ(Run({"settings", "get", "TQBExport", "Finanzbuchhaltung_Kunden"}).out, "\n");

    // Without the DTD no table is exported: the medium could not be completed.
    const std::string dtd = exports() + "gdpdu-01-08-2002.dtd";
    fs::rename(dtd, dir.file("dtd"));
    const std::string folder = Folder("ohne-dtd");
    const CliOutcome noDtd = Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to",
                                  "31.12.2026", "--out", folder});
    EXPECT_EQ(noDtd.code, 1);
    EXPECT_EQ(noDtd.err.rfind("norvik-export: Die DTD-Datei gdpdu-01-08-2002.dtd fehlt im "
                              "Exportordner " +
                                  exports() + "; es wurde nichts exportiert.",
                              0),
              0u)
        << noDtd.err;
    EXPECT_NE(noDtd.err.find("Bundesministerium der Finanzen"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(folder));
    fs::rename(dir.file("dtd"), dtd);

    // A missing definition fails its table only; the others are still exported.
    test::WriteBytes(
        exports() + "LUECKE.GDU",
        "[Allgemein]\r\nName=L\xfc"
        "cke\r\n[Dateien]\r\nFile01=%DataPath%\\FEHLT.EXP;;;Fehlt;\r\n"
        "File02=%DataPath%\\..\\Drivers\\Export\\GDPDU_SACHKONTEN.EXP;;;Sachkonten;\r\n");
    const std::string gap = Folder("luecke");
    const CliOutcome partial =
        Run({"gdpdu", "Lücke", "--from", "01.01.2026", "--to", "31.12.2026", "--out", gap});
    EXPECT_EQ(partial.code, 1);
    EXPECT_NE(partial.err.find("Fehler 53 in TQExport.LoadFile"), std::string::npos) << partial.err;
    // The table without its definition keeps the whole medium from being written.
    EXPECT_NE(partial.err.find("Tabelle \"FEHLT\": Die Exportdefinition nennt keine Datenquelle"),
              std::string::npos)
        << partial.err;
    EXPECT_TRUE(fs::is_empty(gap));

    test::WriteBytes(exports() + "KAPUTT.GDU",
                     "[Allgemein]\r\nName=Kaputt\r\n[Dateien]\r\nFile01=a;b;c\r\n");
    const CliOutcome broken =
        Run({"gdpdu", "Kaputt", "--from", "01.01.2026", "--to", "31.12.2026", "--out", folder});
    EXPECT_EQ(broken.code, 1);
    EXPECT_NE(broken.err.find("Fehler 9 in TQGDPdU.LoadFile"), std::string::npos) << broken.err;
}

TEST_F(GdpduCliTest, APlanThatWouldOverwriteATableIsRefusedWithExitOne) {
    Demo();
    // A second definition whose data file differs from Sachkonten's in letter case only.
    std::string kunden = test::ReadBytes(exports() + "GDPDU_KUNDEN.EXP");
    const size_t at = kunden.find("Dateiname=kunden.txt");
    ASSERT_NE(at, std::string::npos);
    kunden.replace(at, 20, "Dateiname=SACHKONTEN.TXT");
    test::WriteBytes(exports() + "DOPPELT_KUNDEN.EXP", kunden);
    test::WriteBytes(
        exports() + "DOPPELT.GDU",
        "[Allgemein]\r\nName=Doppelt\r\n[Dateien]\r\n"
        "File01=%DataPath%\\..\\Drivers\\Export\\GDPDU_SACHKONTEN.EXP;;Sachkonten;Sachkonten;\r\n"
        "File02=%DataPath%\\..\\Drivers\\Export\\DOPPELT_KUNDEN.EXP;;Kunden;Kunden;\r\n");
    const std::string folder = Folder("doppelt");
    test::WriteBytes(folder + "/sachkonten.txt", "frühere Sachkonten");

    const CliOutcome r =
        Run({"gdpdu", "Doppelt", "--from", "01.01.2026", "--to", "31.12.2026", "--out", folder});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "norvik-export: Der Datenträger wurde nicht erstellt, es wurde keine Datei "
              "geschrieben:\n"
              "Tabellen \"Sachkonten\" und \"Kunden\": Ihre Datendateien \"sachkonten.txt\" und "
              "\"SACHKONTEN.TXT\" unterscheiden sich nur in der Groß- und Kleinschreibung und sind "
              "unter Windows dieselbe Datei.\n"
              "norvik-export: Die Datenausgabe wurde mit Fehlern beendet!\n"
              "Einzelheiten: norvik-export protocol --last 1\n");
    EXPECT_EQ(r.out.find("erfolgreich"), std::string::npos) << r.out;
    EXPECT_EQ(test::ReadBytes(folder + "/sachkonten.txt"), "frühere Sachkonten");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(GdpduCliTest, AnIndexThatCannotBeWrittenExitsWithOne) {
    if (!Demo())
        GTEST_SKIP() << "needs the published GDPdU DTD " NORVIK_SHARED_DIR
                        "/gdpdu/gdpdu-01-08-2002.dtd";
    const std::string folder = Folder("gesperrt");
    fs::create_directories(folder + "/Index.xml");
    const CliOutcome r = Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to",
                              "31.12.2026", "--out", folder, "--table", "Sachkonten"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Fehler beim speichern der XML-Datei: \nFehler: "), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Die Datenausgabe wurde mit Fehlern beendet!"), std::string::npos);
    EXPECT_EQ(r.out.find("erfolgreich"), std::string::npos) << r.out;

    const CliOutcome protocol = Run({"protocol", "--last", "1"});
    EXPECT_NE(protocol.out.find("  | Fehler beim erstellen der XML-Datei.\n"), std::string::npos)
        << protocol.out;
    EXPECT_EQ(protocol.out.find("erfolgreich"), std::string::npos) << protocol.out;
}

TEST_F(GdpduCliTest, ANameDirectlyBehindDataPathLiesInTheDataFolder) {
    if (!Demo())
        GTEST_SKIP() << "needs the published GDPdU DTD " NORVIK_SHARED_DIR
                        "/gdpdu/gdpdu-01-08-2002.dtd";
    // A home configured before the data folder ended with a separator.
    const std::string ini = home() + "/norvik-export.ini";
    std::string config = test::ReadBytes(ini);
    const std::string line = "CommonUserDataFolder=" + home() + "/Daten/\n";
    const size_t at = config.find(line);
    ASSERT_NE(at, std::string::npos) << config;
    config.replace(at, line.size(), "CommonUserDataFolder=" + home() + "/Daten\n");
    test::WriteBytes(ini, config);
    test::WriteBytes(
        exports() + "NAH.GDU",
        "[Allgemein]\r\nName=Nah\r\nPfad=%DataPath%Nah\r\n[Dateien]\r\n"
        "File01=%DataPath%..\\Drivers\\Export\\GDPDU_SACHKONTEN.EXP;;;Sachkonten;\r\n");
    fs::create_directories(home() + "/Daten/Nah");

    const CliOutcome r = Run({"gdpdu", "Nah", "--from", "01.01.2026", "--to", "31.12.2026"});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_TRUE(fs::exists(home() + "/Daten/Nah/sachkonten.txt")) << r.out;
}

}  // namespace
}  // namespace norvik
