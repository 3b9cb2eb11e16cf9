#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_fixture.h"
#include "common/text_codec.h"
#include "host/shell_service.h"
#include "host/user_settings.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;

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
};

TEST_F(GdpduCliTest, TheDemoProfileBuildsAValidMedium) {
    ASSERT_TRUE(Demo());
    const CliOutcome list = Run({"list", "--gdpdu"});
    EXPECT_EQ(list.out, "Finanzbuchhaltung\t" + exports() + "FINANZBUCHHALTUNG.GDU\n");

    fs::create_directories(home() + "/Daten/GDPdU");
    // A home whose export folder lacks the DTD gets the published one on its first build.
    fs::remove(exports() + "gdpdu-01-08-2002.dtd");
    const CliOutcome r =
        Run({"gdpdu", "finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026", "--zip"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(test::ReadBytes(exports() + "gdpdu-01-08-2002.dtd") ==
                test::ReadBytes(test::PublishedDtd()));
    EXPECT_TRUE(test::Matches(r.err,
                              "norvik-export: Die veröffentlichte DTD-Datei gdpdu-01-08-2002.dtd "
                              "wurde aus */share/norvik-export/gdpdu in den Exportordner " +
                                  exports() + " kopiert; jeder Datenträger nimmt sie von dort.\n"))
        << r.err;
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
    // Said once: the next build takes the copy.
    const CliOutcome again =
        Run({"gdpdu", "finanzbuchhaltung", "--from", "01.01.2026", "--to", "31.12.2026", "--zip"});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.err.find("DTD"), std::string::npos) << again.err;
    // The medium is complete: the check finds every file and nothing wrong, in the folder and in
    // its package.
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
    ASSERT_TRUE(Demo());
    const std::string first = Folder("eins");
    const CliOutcome r =
        Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.07.2026", "--to", "31.07.2026", "--out",
             first, "--table", "Kunden", "--table=sachkonten"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(first + "/kunden.txt"));
    EXPECT_TRUE(fs::exists(first + "/sachkonten.txt"));
    EXPECT_FALSE(fs::exists(first + "/buchungen.txt"));
    EXPECT_EQ(Count(test::ReadBytes(first + "/Index.xml"), "<Table>"), 2u);
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
    ASSERT_TRUE(Demo());
    const std::string folder = Folder("medium");
    const CliOutcome r = Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to",
                              "31.01.2026", "--out", folder, "--table", "Sachkonten", "--yes"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(std::string("Die Datenausgabe wurde erfolgreich ausgeführt.\n") +
                         kFolderNotOpenedMessage + folder + "\n"),
              std::string::npos)
        << r.out;
}

TEST_F(GdpduCliTest, ATableIsNamedByItsCaptionOrItsTableName) {
    Demo();
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
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(Run({"settings", "get", "TQBExport", "Finanzbuchhaltung_Artikel"}).out,
              Run({"settings", "get", "TQBExport", "Finanzbuchhaltung_Kunden"}).out);
}

TEST_F(GdpduCliTest, RunsThatEndWithErrorsExitWithOne) {
    ASSERT_TRUE(Demo());
    // Without the DTD, and none installed, no table is exported: the medium could not be
    // completed.
    const std::string dtd = exports() + "gdpdu-01-08-2002.dtd";
    fs::rename(dtd, dir.file("dtd"));
    const std::string folder = Folder("ohne-dtd");
    ::setenv("NORVIK_SHARED_DIR", Folder("leer").c_str(), 1);
    const CliOutcome noDtd = Run({"gdpdu", "Finanzbuchhaltung", "--from", "01.01.2026", "--to",
                                  "31.12.2026", "--out", folder});
    ::unsetenv("NORVIK_SHARED_DIR");
    EXPECT_EQ(noDtd.code, 1);
    EXPECT_EQ(noDtd.err,
              "norvik-export: Die DTD-Datei gdpdu-01-08-2002.dtd fehlt im Exportordner " +
                  exports() +
                  ", und die veröffentlichte liegt nicht bei der "
                  "Installation (" +
                  dir.file("leer") +
                  "/gdpdu). Jeder GDPdU-Datenträger braucht eine Kopie davon. Es "
                  "wurde nichts exportiert.\n");
    EXPECT_TRUE(fs::is_empty(folder));
    fs::rename(dir.file("dtd"), dtd);

    test::WriteBytes(exports() + "KAPUTT.GDU",
                     "[Allgemein]\r\nName=Kaputt\r\n[Dateien]\r\nFile01=a;b;c\r\n");
    const CliOutcome broken =
        Run({"gdpdu", "Kaputt", "--from", "01.01.2026", "--to", "31.12.2026", "--out", folder});
    EXPECT_EQ(broken.code, 1);
    EXPECT_NE(broken.err.find("Fehler 9 in TQGDPdU.LoadFile"), std::string::npos) << broken.err;
    EXPECT_NE(broken.err.find("wurde nicht vollständig geladen; der Datenträger wird nicht "
                              "erstellt."),
              std::string::npos)
        << broken.err;
    EXPECT_EQ(broken.out.find("erfolgreich"), std::string::npos) << broken.out;
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(GdpduCliTest, APlanThatWouldOverwriteATableIsRefusedWithExitOne) {
    ASSERT_TRUE(Demo());
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

}  // namespace
}  // namespace norvik
