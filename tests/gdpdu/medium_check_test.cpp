#include "gdpdu/medium_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "medium_writer.h"
#include "support/test_support.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

const std::string kKonten = VariableTable(
    "konten.txt", "Konten", Column("nr", "<Numeric/>", true) + Column("name", "<AlphaNumeric/>"));
const std::string kKontenData = "1000;\"Kasse\"\r\n1200;\"Bank\"\r\n";

// Konten with one more column after nr (Index.xml line 12) and a row of data.
MediumFiles KontenWith(const std::string& column, const std::string& data,
                       const std::string& before = "") {
    return {
        VariableTable("konten.txt", "Konten", Column("nr", "<Numeric/>", true) + column, before),
        {{"konten.txt", data}}};
}

// Konten (Index.xml lines 7-14) and Buchungen (15-22, its foreign key on line 21).
MediumFiles KontenAndBuchungen(const std::string& kontoType, const std::string& foreignKey,
                               const std::string& buchungen) {
    return {kKonten + VariableTable("buchungen.txt", "Buchungen",
                                    Column("nr", "<Numeric/>", true) + Column("konto", kontoType) +
                                        foreignKey),
            {{"konten.txt", kKontenData}, {"buchungen.txt", buchungen}}};
}

// A FixedLength table of nr (1-4) and name (5-10) before the columns' first: the record's Length.
MediumFiles Fixed(const std::string& length, const std::string& data) {
    return {"<Table><URL>fest.txt</URL><Name>Fest</Name>\r\n<FixedLength>" + length +
                "<FixedPrimaryKey><Name>nr</Name><Numeric/><FixedRange><From>1</From><To>4</To>"
                "</FixedRange></FixedPrimaryKey>\r\n<FixedColumn><Name>name</Name><AlphaNumeric/>"
                "<FixedRange><From>5</From><Length>6</Length></FixedRange></FixedColumn>\r\n"
                "</FixedLength></Table>\r\n",
            {{"fest.txt", data}}};
}

void Remove(const std::string& folder, const std::string& name) {
    fs::remove(folder + "/" + name);
}

struct BrokenMedium {
    const char* code;                                // the code the case is for
    MediumFiles medium;                              // written first
    std::function<void(const std::string&)> change;  // then applied to the folder, when given
    std::vector<std::string> lines;  // every finding line; one ending in "*" is a prefix
};

std::vector<BrokenMedium> BrokenMedia() {
    const MediumFiles konten{kKonten, {{"konten.txt", kKontenData}}};
    return {
        {"G101",
         konten,
         [](const std::string& f) { Remove(f, "Index.xml"); },
         {"FEHLER G101 Index.xml: Index.xml fehlt im Ordner des Datenträgers; ohne sie lässt "
          "sich nichts einlesen."}},
        {"G102",
         konten,
         [](const std::string& f) { WriteBytes(f + "/Index.xml", "<DataSet><Version>1.0"); },
         {"FEHLER G102 Index.xml:1: Index.xml ist kein wohlgeformtes XML und kann nicht gelesen "
          "werden: *"}},
        {"G103",
         {"<Table>\r\n<Name>Konten</Name>\r\n<URL>konten.txt</URL>\r\n<VariableLength>" +
              Column("nr", "<Numeric/>", true) + "</VariableLength></Table>\r\n",
          {{"konten.txt", "1000\r\n"}}},
         nullptr,
         // libxml2 names the line where the element ends.
         {"FEHLER G103 Index.xml:11: Index.xml entspricht nicht der DTD: Element Table content "
          "does not follow the DTD*"}},
        {"G104",
         konten,
         [](const std::string& f) { Remove(f, "gdpdu-01-08-2002.dtd"); },
         {"FEHLER G104 gdpdu-01-08-2002.dtd: Die DTD-Datei fehlt im Ordner des Datenträgers; "
          "ohne sie lässt sich Index.xml weder prüfen noch einlesen."}},
        {"G104",
         konten,
         [](const std::string& f) {
             fs::rename(f + "/gdpdu-01-08-2002.dtd", f + "/GDPdU-01-08-2002.dtd");
         },
         {"FEHLER G104 gdpdu-01-08-2002.dtd: Die DTD-Datei heißt „GDPdU-01-08-2002.dtd“, "
          "Index.xml nennt sie „gdpdu-01-08-2002.dtd“; die Schreibweise muss gleich sein."}},
        {"G105",
         konten,
         [](const std::string& f) {
             const std::string dtd = f + "/gdpdu-01-08-2002.dtd";
             WriteBytes(dtd, ReadBytes(dtd) + "<!-- ergänzt -->\r\n");
         },
         {"FEHLER G105 gdpdu-01-08-2002.dtd: Die DTD-Datei weicht von der veröffentlichten ab; "
          "ein Datenträger muss sie unverändert enthalten."}},
        {"G106",
         konten,
         [](const std::string& f) {
             std::string xml = ReadBytes(f + "/Index.xml");
             xml.erase(xml.find("<!DOCTYPE"), xml.find("<DataSet>") - xml.find("<!DOCTYPE"));
             WriteBytes(f + "/Index.xml", xml);
         },
         {"FEHLER G106 Index.xml: Index.xml nennt keine DTD (DOCTYPE fehlt).",
          "FEHLER G103 Index.xml*"}},
        {"G107",
         konten,
         [](const std::string& f) {
             const std::string doctype = "gdpdu-01-08-2002.dtd\">";
             std::string xml = ReadBytes(f + "/Index.xml");
             xml.replace(xml.find(doctype), doctype.size(),
                         "gdpdu-01-08-2002.dtd\" [<!ENTITY % e SYSTEM \"e.dtd\">]>");
             WriteBytes(f + "/Index.xml", xml);
         },
         {"FEHLER G107 Index.xml: Index.xml will über die Entität „%e“ „e.dtd“ nachladen; außer "
          "der im DOCTYPE genannten DTD wird nichts nachgeladen."}},
        {"G108",
         konten,
         [](const std::string& f) {
             fs::rename(f + "/Index.xml", f + "/../Index.xml");
             fs::create_symlink("../Index.xml", f + "/Index.xml");
         },
         {"FEHLER G108 Index.xml: Index.xml führt über eine Verknüpfung aus dem Ordner des "
          "Datenträgers; sie wird nicht gelesen."}},
        {"G201",
         {VariableTable("../konten.txt", "Konten", Column("nr", "<Numeric/>", true)), {}},
         nullptr,
         {"FEHLER G201 ../konten.txt: Tabelle Konten: URL „../konten.txt“ führt aus dem Ordner "
          "des Datenträgers; erlaubt sind nur Pfade innerhalb des Ordners."}},
        {"G201",
         {VariableTable("file:///konten.txt", "Konten", Column("nr", "<Numeric/>", true)), {}},
         nullptr,
         {"FEHLER G201 file:///konten.txt: Tabelle Konten: URL „file:///konten.txt“ führt aus "
          "dem Ordner des Datenträgers; erlaubt sind nur Pfade innerhalb des Ordners."}},
        {"G201",
         {VariableTable("", "Konten", Column("nr", "<Numeric/>", true)), {}},
         nullptr,
         {"FEHLER G201 Index.xml: Tabelle Konten: URL ist leer; die Tabelle nennt keine Datei."}},
        {"G202",
         {VariableTable("daten/konten.txt", "Konten", Column("nr", "<Numeric/>", true)),
          {{"konten.txt", "1000\r\n"}}},
         nullptr,
         {"WARNUNG G206 konten.txt*",
          "FEHLER G202 daten/konten.txt: Tabelle Konten: Datei fehlt im Ordner des "
          "Datenträgers."}},
        {"G203",
         {kKonten, {{"Konten.txt", "1000;\"Kasse\"\r\n1000;\"Bank\"\r\n"}}},
         nullptr,
         {"FEHLER G203 konten.txt: Tabelle Konten: Datei heißt auf dem Datenträger „Konten.txt“; "
          "die Groß- und Kleinschreibung muss der URL gleichen.",
          // The file is still read.
          "FEHLER G601 konten.txt:2: Tabelle Konten: Primärschlüssel nr = „1000“ ist mehrfach "
          "vergeben."}},
        // Keys into a file that cannot be read are not looked up.
        {"G204",
         KontenAndBuchungen("<Numeric/>", ForeignKey("konto", "Konten"), "1;1000\r\n"),
         [](const std::string& f) {
             Remove(f, "konten.txt");
             fs::create_symlink("nirgends.txt", f + "/konten.txt");
         },
         {"FEHLER G204 konten.txt: Tabelle Konten: Datei lässt sich nicht öffnen (Meldung des "
          "Systems: *"}},
        {"G205",
         konten,
         [](const std::string& f) {
             fs::rename(f + "/konten.txt", f + "/../konten.txt");
             fs::create_symlink("../konten.txt", f + "/konten.txt");
         },
         {"FEHLER G205 konten.txt: Tabelle Konten: Datei führt über eine Verknüpfung aus dem "
          "Ordner des Datenträgers; sie wird nicht gelesen."}},
        {"G301",
         KontenWith(Column("name", "<AlphaNumeric/>"), "1000;\"Kasse\"\r\n",
                    "<DecimalSymbol>,</DecimalSymbol>\r\n<DigitGroupingSymbol>,"
                    "</DigitGroupingSymbol>\r\n"),
         nullptr,
         {"FEHLER G301 Index.xml:11: Tabelle Konten: Dezimalzeichen und Tausendertrennzeichen "
          "sind gleich."}},
        {"G301",
         {VariableTable("konten.txt", "Konten",
                        "<ColumnDelimiter>\"</ColumnDelimiter>" + Column("nr", "<Numeric/>", true)),
          {{"konten.txt", "x\r\n"}}},
         nullptr,
         {"FEHLER G301 Index.xml:10: Tabelle Konten: Spaltentrennzeichen und Textbegrenzer sind "
          "gleich."}},
        {"G302",
         KontenWith(Column("datum", "<Date><Format>TT.MM.JJJJ</Format></Date>"),
                    "1000;31.12.2026\r\n"),
         nullptr,
         {"FEHLER G302 Index.xml:12: Tabelle Konten: Spalte datum: Datumsformat „TT.MM.JJJJ“ "
          "enthält „TT“; erlaubt sind DD, MM, YYYY, YY, hh, mm, ss und Trennzeichen."}},
        {"G303",
         KontenWith(Column("betrag", "<Numeric><Accuracy>zwei</Accuracy></Numeric>"),
                    "1000;12\r\n"),
         nullptr,
         {"FEHLER G303 Index.xml:12: Tabelle Konten: Spalte betrag: Nachkommastellen (Accuracy) "
          "„zwei“ sind keine Zahl von 0 bis 99."}},
        {"G304",
         KontenAndBuchungen("<Numeric/>", ForeignKey("konto", "Kontenplan"), "1;1000\r\n"),
         nullptr,
         {"FEHLER G304 Index.xml:21: Tabelle Buchungen: Fremdschlüssel verweist auf Tabelle "
          "„Kontenplan“, die im Index nicht beschrieben ist."}},
        {"G304",
         KontenAndBuchungen("<Numeric/>", ForeignKey("nr,konto", "Konten"), "1;1000\r\n"),
         nullptr,
         {"FEHLER G304 Index.xml:21: Tabelle Buchungen: Fremdschlüssel hat 2 Spalten, der "
          "Primärschlüssel von Tabelle Konten hat 1."}},
        {"G305",
         KontenAndBuchungen("<Numeric/>", ForeignKey("kto", "Konten"), "1;1000\r\n"),
         nullptr,
         {"FEHLER G305 Index.xml:21: Tabelle Buchungen: Fremdschlüssel nennt die Spalte kto, die "
          "es in der Tabelle nicht gibt."}},
        {"G306",
         {kKonten + VariableTable("konten2.txt", "Konten", Column("nr", "<Numeric/>", true)),
          {{"konten.txt", kKontenData}, {"konten2.txt", "1\r\n"}}},
         nullptr,
         {"WARNUNG G306 Index.xml:15: Tabelle Konten (Nr. 2): Der Name Konten gehört schon "
          "Tabelle Nr. 1; ein Import legt die Tabellen unter ihrem Namen an."}},
        {"G307",
         KontenWith(Column("name", "<AlphaNumeric/>") + Column("name", "<AlphaNumeric/>"),
                    "1000;\"Kasse\";\"Bar\"\r\n"),
         nullptr,
         {"WARNUNG G307 Index.xml:13: Tabelle Konten: Spalte name ist mehrfach beschrieben."}},
        // A table it cannot read still has its keys described; keys into it are not checked.
        {"G308",
         {VariableTable("konten.txt", "Konten", Column("nr", "<Numeric/>", true), "<UTF16/>\r\n") +
              VariableTable("buchungen.txt", "Buchungen",
                            Column("nr", "<Numeric/>", true) + Column("konto", "<Numeric/>") +
                                ForeignKey("konto", "Konten")),
          {{"konten.txt", std::string("\xFF\xFE"
                                      "1\0\r\0\n\0",
                                      8)},
           {"buchungen.txt", "1;4711\r\n"}}},
         nullptr,
         {"WARNUNG G308 Index.xml:7: Tabelle Konten: Daten im Zeichensatz UTF-16 werden nicht "
          "geprüft."}},
        {"G309",
         KontenAndBuchungen("<AlphaNumeric/>", ForeignKey("konto", "Konten"), "1;\"1000\"\r\n"),
         nullptr,
         {"WARNUNG G309 Index.xml:21: Tabelle Buchungen: Fremdschlüssel konto ist AlphaNumeric, "
          "der Primärschlüssel nr von Tabelle Konten ist Numeric."}},
        {"G310",
         KontenWith("", "1000\r\n",
                    "<Validity><Range><From>2026-01-01</From><To>31.12.2026</To></Range>"
                    "</Validity>\r\n"),
         nullptr,
         {"WARNUNG G310 Index.xml:10: Tabelle Konten: Gültigkeitszeitraum: „2026-01-01“ ist kein "
          "Datum im Format DD.MM.YYYY."}},
        // Two layouts whose lines interleave: no range can keep them apart.
        {"G311",
         {kKonten + VariableTable("konten.txt", "Konten Zusatz", Column("nr", "<Numeric/>", true),
                                  "<Range><From>2</From></Range>"),
          {{"konten.txt", kKontenData}}},
         nullptr,
         {"FEHLER G311 Index.xml:15: Tabelle Konten Zusatz: Die Zeilen 2 bis zum Dateiende von "
          "konten.txt gehören auch zu Tabelle Konten; ohne getrennte Zeilenbereiche (Range) "
          "liest ein Import sie in beide Tabellen.",
          "FEHLER G401 konten.txt:2: Tabelle Konten Zusatz: Zeile hat 2 Felder, erwartet 1."}},
        {"G401",
         {kKonten, {{"konten.txt", "1000;\"Kasse\";x\r\n1200\r\n"}}},
         nullptr,
         {"FEHLER G401 konten.txt:1: Tabelle Konten: Zeile hat 3 Felder, erwartet 2.",
          "FEHLER G401 konten.txt:2: Tabelle Konten: Zeile hat 1 Feld, erwartet 2."}},
        {"G402",
         Fixed("", "1000Kasse \r\n1200Bank\r\n"),
         nullptr,
         {"FEHLER G402 fest.txt:2: Tabelle Fest: Zeile ist 8 Zeichen lang, erwartet 10."}},
        {"G402",
         Fixed("<Length>10</Length>", "1000Kasse 1200Bank"),
         nullptr,
         {"FEHLER G402 fest.txt:2: Tabelle Fest: Letzter Satz hat nur 8 von 10 Zeichen."}},
        {"G403",
         {kKonten, {{"konten.txt", "1000;\"Kasse\"\n1200;\"Bank\"\r\n"}}},
         nullptr,
         {"FEHLER G403 konten.txt:1: Tabelle Konten: Zeile endet mit LF, laut Index mit CR LF."}},
        {"G403",
         {VariableTable(
              "konten.txt", "Konten",
              "<RecordDelimiter>&#10;</RecordDelimiter>" + Column("nr", "<Numeric/>", true)),
          {{"konten.txt", "1000\n1200\r\n1300\r"}}},
         nullptr,
         {"FEHLER G403 konten.txt:2: Tabelle Konten: Zeile endet mit CR LF, laut Index mit LF.",
          "FEHLER G403 konten.txt:3: Tabelle Konten: Zeile endet mit CR, laut Index mit LF."}},
        {"G403",
         Fixed("<Length>10</Length>", "1000Kasse \r\n1200Bank  "),
         nullptr,
         {"FEHLER G403 fest.txt:2: Tabelle Fest: Satz enthält einen Zeilenumbruch; laut Index "
          "(Length) folgen die Sätze ohne Satztrenner zu je 10 Zeichen.",
          "FEHLER G501 fest.txt:2: Tabelle Fest: Spalte nr: „[CR][LF]12“ ist keine Zahl.",
          "FEHLER G402 fest.txt:3: Tabelle Fest: Letzter Satz hat nur 2 von 10 Zeichen."}},
        {"G404",
         {kKonten, {{"konten.txt", "1000;\"Kasse;\r\n"}}},
         nullptr,
         {"FEHLER G404 konten.txt:1: Tabelle Konten: Spalte name: Textbegrenzer „\"“ wird nicht "
          "geschlossen."}},
        {"G405",
         {kKonten, {{"konten.txt", "1000;\"Kas\"se\r\n"}}},
         nullptr,
         {"FEHLER G405 konten.txt:1: Tabelle Konten: Spalte name: nach dem schließenden "
          "Textbegrenzer folgen weitere Zeichen statt des Spaltentrennzeichens."}},
        {"G406",
         {kKonten, {{"konten.txt", "1000;\"Ka\x81se\"\r\n"}}},
         nullptr,
         {"FEHLER G406 konten.txt:1: Tabelle Konten: Byte 0x81 an Stelle 9 ist im Zeichensatz "
          "ANSI (Windows-1252) nicht definiert."}},
        {"G406",
         KontenWith(Column("name", "<AlphaNumeric/>"), "1000;\"K\xC3(se\"\r\n", "<UTF8/>"),
         nullptr,
         {"FEHLER G406 konten.txt:1: Tabelle Konten: Byte 0xC3 an Stelle 8 ist im Zeichensatz "
          "UTF-8 nicht definiert."}},
        {"G206",
         {kKonten, {{"konten.txt", kKontenData}, {"alt.txt", "1\r\n"}}},
         nullptr,
         {"WARNUNG G206 alt.txt: Datei „alt.txt“ beschreibt Index.xml nicht; ein Import liest sie "
          "nicht."}},
        {"G409",
         KontenWith("", "Kopf\r\n1000\r\n1200\r\nT\r\nT\r\n",
                    "<Range><From>2</From><To>3</To></Range>"),
         nullptr,
         {"WARNUNG G409 konten.txt:4: Zeilen 4 bis 5 beschreibt keine Tabelle; ein Import lässt "
          "sie aus."}},
        {"G407",
         KontenWith("", "1000\r\n1200\r\n", "<Range><From>1</From><To>10</To></Range>"),
         nullptr,
         {"WARNUNG G407 konten.txt: Tabelle Konten: Datei hat 2 Zeilen, der Zeilenbereich "
          "(Range) geht von Zeile 1 bis 10."}},
        {"G408",
         {kKonten, {{"konten.txt", std::string(2 << 20, 'x') + "\r\n1000;\"Kasse\"\r\n"}}},
         nullptr,
         {"FEHLER G408 konten.txt:1: Tabelle Konten: Satz ist 2.097.152 Bytes lang; die Prüfung "
          "liest Sätze bis 1.048.576 Bytes und geht beim nächsten Satztrenner weiter."}},
        {"G501",
         {kKonten, {{"konten.txt", "10a0;\"Kasse\"\r\n"}}},
         nullptr,
         {"FEHLER G501 konten.txt:1: Tabelle Konten: Spalte nr: „10a0“ ist keine Zahl."}},
        {"G502",
         KontenWith(Column("betrag", "<Numeric/>"), "1000;12,50\r\n"),
         nullptr,
         {"FEHLER G502 konten.txt:1: Tabelle Konten: Spalte betrag: „12,50“ hat 2 "
          "Nachkommastellen; laut Index ist es eine ganze Zahl (keine Accuracy angegeben)."}},
        {"G502",
         KontenWith(Column("betrag", "<Numeric><Accuracy>1</Accuracy></Numeric>"),
                    "1000;12,5\r\n1200;12,55\r\n"),
         nullptr,
         {"FEHLER G502 konten.txt:2: Tabelle Konten: Spalte betrag: „12,55“ hat 2 "
          "Nachkommastellen; laut Index (Accuracy) höchstens 1."}},
        {"G502",
         KontenWith(Column("betrag", "<Numeric><ImpliedAccuracy>2</ImpliedAccuracy></Numeric>"),
                    "1000;1250\r\n1200;12,50\r\n"),
         nullptr,
         {"FEHLER G502 konten.txt:2: Tabelle Konten: Spalte betrag: „12,50“ enthält ein "
          "Dezimalzeichen; laut Index stehen die 2 Nachkommastellen ohne Zeichen "
          "(ImpliedAccuracy)."}},
        {"G503",
         KontenWith(Column("betrag", "<Numeric><Accuracy>2</Accuracy></Numeric>"),
                    "1000;1.234,50\r\n1200;12.34,50\r\n"),
         nullptr,
         {"FEHLER G503 konten.txt:2: Tabelle Konten: Spalte betrag: „12.34,50“: "
          "Tausendertrennzeichen „.“ an falscher Stelle (Dezimalzeichen laut Index „,“)."}},
        {"G504",
         KontenWith(Column("datum", "<Date/>"), "1000;2026-01-31\r\n"),
         nullptr,
         {"FEHLER G504 konten.txt:1: Tabelle Konten: Spalte datum: „2026-01-31“ passt nicht zum "
          "Datumsformat DD.MM.YYYY."}},
        {"G505",
         KontenWith(Column("datum", "<Date/>"), "1000;29.02.2024\r\n1200;29.02.2026\r\n"),
         nullptr,
         {"FEHLER G505 konten.txt:2: Tabelle Konten: Spalte datum: „29.02.2026“ ist kein gültiges "
          "Datum bzw. keine gültige Uhrzeit."}},
        {"G506",
         KontenWith(Column("name", "<AlphaNumeric/><MaxLength>4</MaxLength>"),
                    "1000;\"Bank\"\r\n1200;\"Kasse\"\r\n"),
         nullptr,
         {"FEHLER G506 konten.txt:2: Tabelle Konten: Spalte name: Text ist 5 Zeichen lang, laut "
          "Index (MaxLength) höchstens 4."}},
        {"G601",
         {kKonten, {{"konten.txt", "1000;\"Kasse\"\r\n1000;\"Bank\"\r\n"}}},
         nullptr,
         {"FEHLER G601 konten.txt:2: Tabelle Konten: Primärschlüssel nr = „1000“ ist mehrfach "
          "vergeben."}},
        {"G601",
         KontenWith(Column("jahr", "<Numeric/>", true), "1000;2025\r\n1000;2026\r\n1.000;2026\r\n",
                    "<DecimalSymbol>,</DecimalSymbol><DigitGroupingSymbol>.</DigitGroupingSymbol>"),
         nullptr,
         {"FEHLER G601 konten.txt:3: Tabelle Konten: Primärschlüssel nr = „1.000“, jahr = „2026“ "
          "ist mehrfach vergeben."}},
        {"G602",
         {kKonten, {{"konten.txt", ";\"Kasse\"\r\n"}}},
         nullptr,
         {"FEHLER G602 konten.txt:1: Tabelle Konten: Primärschlüssel: Spalte nr ist leer."}},
        {"G603",
         {VariableTable("buchungen.txt", "Buchungen",
                        Column("nr", "<Numeric/>", true) + Column("konto", "<Numeric/>") +
                            ForeignKey("konto", "Konten")) +
              kKonten,
          {{"konten.txt", kKontenData}, {"buchungen.txt", "1;1000\r\n2;4711\r\n3;\r\n"}}},
         nullptr,
         {"FEHLER G603 buchungen.txt:2: Tabelle Buchungen: Fremdschlüssel konto = „4711“: kein "
          "Eintrag in Tabelle Konten."}},
        {"G603",
         KontenWith(Column("ober", "<Numeric/>") + ForeignKey("ober", "Konten"),
                    "1000;\r\n1200;1000\r\n1300;9999\r\n"),
         nullptr,
         {"FEHLER G603 konten.txt:3: Tabelle Konten: Fremdschlüssel ober: kein Eintrag in Tabelle "
          "Konten."}},
    };
}

bool LineMatches(const std::string& line, const std::string& expected) {
    if (!expected.empty() && expected.back() == '*')
        return line.rfind(expected.substr(0, expected.size() - 1), 0) == 0;
    return line == expected;
}

class MediumCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (PublishedDtd().empty())
            GTEST_SKIP() << "needs the published GDPdU DTD below " NORVIK_SHARED_DIR;
        options.publishedDtd = PublishedDtd();
    }
    std::vector<std::string> Check(const std::string& folder) const {
        std::vector<std::string> lines;
        for (const MediumFinding& finding : CheckMedium(folder, options))
            lines.push_back(FindingLine(finding));
        return lines;
    }
    static std::string Joined(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    }

    TempDir dir;
    MediumCheckOptions options;
};

TEST_F(MediumCheckTest, EachBrokenMediumGivesItsFinding) {
    std::set<std::string> covered;
    int n = 0;
    for (const BrokenMedium& c : BrokenMedia()) {
        const std::string folder = dir.file(std::to_string(++n) + "-" + c.code);
        fs::create_directories(folder);
        WriteMedium(folder, c.medium);
        if (c.change) c.change(folder);
        const std::vector<std::string> lines = Check(folder);
        bool same = lines.size() == c.lines.size();
        for (size_t i = 0; same && i < lines.size(); ++i) same = LineMatches(lines[i], c.lines[i]);
        EXPECT_TRUE(same) << c.code << " (case " << n << ") gave\n"
                          << Joined(lines) << "expected\n"
                          << Joined(c.lines);
        covered.insert(c.code);
    }
    // The codes of a package's ZIP (G7xx) have their broken packages among the hostile media.
    for (const FindingKind& kind : FindingKinds())
        EXPECT_TRUE(covered.count(kind.code) || kind.code[1] == '7')
            << "no broken medium for " << kind.code;
}

// Every feature a table can declare, each used as the standard describes it.
MediumFiles EveryFeature() {
    MediumFiles medium;
    // Declared before the table it references; header and trailer lines outside the range.
    medium.tables += VariableTable(
        "buchungen.txt", "Buchungen",
        "<ColumnDelimiter>|</ColumnDelimiter>" + Column("nr", "<Numeric/>", true) +
            Column("datum", "<Date><Format>YYYYMMDD hh:mm</Format></Date>") +
            Column("konto", "<Numeric/>") +
            Column("betrag", "<Numeric><Accuracy>2</Accuracy></Numeric>") +
            Column("text", "<AlphaNumeric/><MaxLength>30</MaxLength>") +
            ForeignKey("konto", "Konten"),
        "<Validity><Range><From>20260101</From><To>20261231</To></Range><Format>YYYYMMDD</Format>"
        "</Validity>\r\n<DecimalSymbol>.</DecimalSymbol><DigitGroupingSymbol>,"
        "</DigitGroupingSymbol>\r\n<Range><From>2</From><To>4</To></Range>\r\n");
    medium.tables +=
        VariableTable("buchungen.txt", "Buchungen Nachlaufsatz",
                      "<ColumnDelimiter>|</ColumnDelimiter>" + Column("art", "<AlphaNumeric/>") +
                          Column("zeilen", "<Numeric/>"),
                      "<Range><From>5</From><To>5</To></Range>\r\n");
    medium.files.emplace_back("buchungen.txt",
                              "\"H\"|\"Kopf\"\r\n"
                              "1|20260101 08:15|1000|1,234.50|\"Miete | Januar \"\"B\xFC"
                              "ro\"\"\"\r\n"
                              "2|20260615 23:59|1200|-12.3|\"\"\r\n"
                              "3|20261231 00:00||0.05|\"ohne Konto\"\r\n"
                              "\"T\"|3\r\n");
    // In code page 850, where 0x81 is "ü" (undefined in Windows-1252); refers to itself.
    medium.tables +=
        VariableTable("konten.txt", "Konten",
                      Column("nr", "<Numeric/>", true) + Column("name", "<AlphaNumeric/>") +
                          Column("ober", "<Numeric/>") + ForeignKey("ober", "Konten"),
                      "<OEM/>");
    medium.files.emplace_back("konten.txt",
                              "1000;\"K\x81"
                              "che\";\r\n1200;\"Bank\";1000\r\n");
    // Fixed length with line ends, a key of two columns, implied decimals and two-digit years.
    medium.tables +=
        "<Table><URL>artikel.txt</URL><Name>Artikel</Name><Epoch>50</Epoch><FixedLength>\r\n"
        "<FixedPrimaryKey><Name>nr</Name><AlphaNumeric/><FixedRange><From>1</From><To>6</To>"
        "</FixedRange></FixedPrimaryKey>\r\n"
        "<FixedPrimaryKey><Name>filiale</Name><Numeric/><FixedRange><From>7</From><Length>2"
        "</Length></FixedRange></FixedPrimaryKey>\r\n"
        "<FixedColumn><Name>preis</Name><Numeric><ImpliedAccuracy>2</ImpliedAccuracy></Numeric>"
        "<FixedRange><From>9</From><To>16</To></FixedRange></FixedColumn>\r\n"
        "<FixedColumn><Name>datum</Name><Date><Format>DD.MM.YY</Format></Date><FixedRange>"
        "<From>17</From><To>24</To></FixedRange></FixedColumn>\r\n"
        "</FixedLength></Table>\r\n";
    medium.files.emplace_back("artikel.txt",
                              "A-0001 1    199931.12.99\r\nA-0001 2    250029.02.24\r\n");
    // Records of a fixed size without line ends, after bytes to skip.
    medium.tables +=
        "<Table><URL>belege.txt</URL><Name>Belege</Name><SkipNumBytes>4</SkipNumBytes>"
        "<FixedLength><Length>6</Length>\r\n"
        "<FixedPrimaryKey><Name>nr</Name><Numeric/><FixedRange><From>1</From><To>3</To>"
        "</FixedRange></FixedPrimaryKey>\r\n"
        "<FixedColumn><Name>art</Name><AlphaNumeric/><FixedRange><From>4</From><To>6</To>"
        "</FixedRange></FixedColumn>\r\n</FixedLength></Table>\r\n";
    medium.files.emplace_back("belege.txt", "HDR:001ER 002RE ");
    // UTF-8 with a byte order mark; lengths count characters, not bytes.
    medium.tables += VariableTable("notizen.txt", "Notizen",
                                   Column("nr", "<Numeric/>", true) +
                                       Column("text", "<AlphaNumeric/><MaxLength>5</MaxLength>"),
                                   "<UTF8/>");
    medium.files.emplace_back("notizen.txt",
                              "\xEF\xBB\xBF"
                              "1;\"Gr\xC3\xBC\xC3\x9F"
                              "e\"\r\n");
    return medium;
}

TEST_F(MediumCheckTest, AMediumUsingEveryFeatureHasNoFindings) {
    WriteMedium(dir.path().string(), EveryFeature());
    EXPECT_EQ(Joined(Check(dir.path().string())), "");
}

TEST_F(MediumCheckTest, LayoutsOfOneFileInRangesOfTheirOwnHaveNoFindings) {
    // A header line, a header record, data lines, a trailer record, and a data layout of no lines.
    const std::string data = "nr;name\r\n\"H\"\r\n1;\"Kasse\"\r\n2;\"Bank\"\r\n\"T\";2\r\n";
    const std::string layouts =
        VariableTable("konten.txt", "Konten Vorlaufsatz", Column("art", "<AlphaNumeric/>"),
                      "<Range><From>2</From><To>2</To></Range>") +
        VariableTable("konten.txt", "Konten",
                      Column("nr", "<Numeric/>", true) + Column("name", "<AlphaNumeric/>"),
                      "<Range><From>3</From><To>4</To></Range>") +
        VariableTable("konten.txt", "Konten Datensatz 2", Column("nr", "<Numeric/>", true),
                      "<Range><From>5</From><Length>0</Length></Range>") +
        VariableTable("konten.txt", "Konten Nachlaufsatz",
                      Column("art", "<AlphaNumeric/>") + Column("letzte", "<Numeric/>"),
                      "<Range><From>5</From><To>5</To></Range>");
    WriteMedium(dir.path().string(), {layouts, {{"konten.txt", data}}});
    EXPECT_EQ(Joined(Check(dir.path().string())), "");

    // An empty file holds the empty range of each layout, and a range to the end none at all.
    for (const char* range : {"<Range><From>1</From><Length>0</Length></Range>", ""}) {
        const std::string folder = dir.file(*range ? "leer" : "ohne");
        fs::create_directories(folder);
        WriteMedium(folder,
                    {VariableTable("leer.txt", "Leer", Column("nr", "<Numeric/>", true), range),
                     {{"leer.txt", ""}}});
        EXPECT_EQ(Joined(Check(folder)), "") << range;
    }
}

TEST_F(MediumCheckTest, TheSameDataIsReadDifferentlyWhenTheCharacterSetSaysAnsi) {
    MediumFiles medium = EveryFeature();
    const size_t oem = medium.tables.find("<OEM/>");
    medium.tables.replace(oem, 6, "<ANSI/>");
    WriteMedium(dir.path().string(), medium);
    EXPECT_EQ(Joined(Check(dir.path().string())),
              "FEHLER G406 konten.txt:1: Tabelle Konten: Byte 0x81 an Stelle 8 ist im Zeichensatz "
              "ANSI (Windows-1252) nicht definiert.\n");
}

TEST_F(MediumCheckTest, ABrokenFileGivesAFewLinesOfEachKindAndCountsTheRest) {
    std::string data;
    for (int i = 1; i <= 25; ++i) data += "x;\"Kasse\r\n";
    WriteMedium(dir.path().string(), {kKonten, {{"konten.txt", data}}});
    options.maxFindingsEach = 2;
    const std::vector<MediumFinding> findings = CheckMedium(dir.path(), options);
    std::string lines;
    for (const MediumFinding& f : findings) lines += FindingLine(f) + "\n";
    EXPECT_EQ(lines,
              "FEHLER G404 konten.txt:1: Tabelle Konten: Spalte name: Textbegrenzer „\"“ wird "
              "nicht geschlossen.\n"
              "FEHLER G404 konten.txt:2: Tabelle Konten: Spalte name: Textbegrenzer „\"“ wird "
              "nicht geschlossen.\n"
              "FEHLER G404 konten.txt: 23 weitere Befunde dieser Art nicht einzeln aufgeführt.\n");
    EXPECT_EQ(SummaryLine(findings), "Datenträger geprüft: 25 Fehler.");
}

TEST(MediumFindingText, SummaryCountsErrorsAndWarnings) {
    const auto finding = [](FindingSeverity severity, uint64_t count) {
        MediumFinding f;
        f.severity = severity;
        f.count = count;
        return f;
    };
    const FindingSeverity E = FindingSeverity::Error, W = FindingSeverity::Warning;
    struct Case {
        std::vector<MediumFinding> findings;
        const char* summary;
        bool errors;
    };
    const Case cases[] = {
        {{}, "Datenträger geprüft: keine Befunde.", false},
        {{finding(W, 1)}, "Datenträger geprüft: 1 Warnung.", false},
        {{finding(W, 1), finding(W, 2)}, "Datenträger geprüft: 3 Warnungen.", false},
        {{finding(E, 1), finding(W, 1)}, "Datenträger geprüft: 1 Fehler, 1 Warnung.", true},
        {{finding(E, 1), finding(E, 12344)}, "Datenträger geprüft: 12.345 Fehler.", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SummaryLine(c.findings), c.summary);
        EXPECT_EQ(HasErrors(c.findings), c.errors) << c.summary;
    }
}

TEST(MediumFindingText, EveryKindHasItsOwnCodeAndAMeaning) {
    std::set<std::string> codes;
    for (const FindingKind& kind : FindingKinds()) {
        EXPECT_TRUE(codes.insert(kind.code).second) << kind.code;
        EXPECT_STRNE(kind.meaning, "") << kind.code;
        EXPECT_EQ(&KindOf(kind.code), &kind);
    }
    EXPECT_THROW(KindOf("G999"), std::out_of_range);
}

}  // namespace
}  // namespace norvik::test
