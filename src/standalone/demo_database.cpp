#include "standalone/demo_database.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/ascii.h"

namespace norvik::standalone {
namespace {

// A small deterministic generator, so that every demo home holds the same data.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<uint32_t>(state_ >> 11);
    }
    int Between(int low, int high) {
        return low + static_cast<int>(Next() % static_cast<uint32_t>(high - low + 1));
    }
    template <typename T, size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[Next() % N];
    }
    bool Chance(int percent) { return Between(1, 100) <= percent; }

  private:
    uint64_t state_;
};

const std::array<const char*, 24> kNachnamen = {
    "Müller",   "Schmidt",  "Schneider", "Fischer",    "Weber", "Meyer",   "Wagner",  "Becker",
    "Schulz",   "Hoffmann", "Schäfer",   "Koch",       "Bauer", "Richter", "Klein",   "Wolf",
    "Schröder", "Neumann",  "Schwarz",   "Zimmermann", "Braun", "Krüger",  "Hofmann", "Hartmann"};
const std::array<const char*, 20> kVornamen = {"Jürgen", "Sabine",  "Thomas", "Monika", "Michael",
                                               "Petra",  "Andreas", "Birgit", "Stefan", "Gabriele",
                                               "Jörg",   "Ursula",  "Klaus",  "Renate", "Björn",
                                               "Käthe",  "Ralf",    "Dörte",  "Uwe",    "Anja"};
const std::array<const char*, 12> kFirmen = {"Bäckerei",    "Metallbau", "Gärtnerei",   "Elektro",
                                             "Schreinerei", "Autohaus",  "Büroservice", "Möbelhaus",
                                             "Getränke",    "Sanitär",   "Druckerei",   "Feinkost"};
const std::array<std::array<const char*, 2>, 16> kOrte = {{{"50667", "Köln"},
                                                           {"53111", "Bonn"},
                                                           {"80331", "München"},
                                                           {"20095", "Hamburg"},
                                                           {"10115", "Berlin"},
                                                           {"60311", "Frankfurt am Main"},
                                                           {"70173", "Stuttgart"},
                                                           {"40213", "Düsseldorf"},
                                                           {"04109", "Leipzig"},
                                                           {"90402", "Nürnberg"},
                                                           {"28195", "Bremen"},
                                                           {"01067", "Dresden"},
                                                           {"30159", "Hannover"},
                                                           {"48143", "Münster"},
                                                           {"79098", "Freiburg im Breisgau"},
                                                           {"66111", "Saarbrücken"}}};
const std::array<const char*, 12> kStrassen = {
    "Hauptstraße", "Schulstraße", "Gartenweg",   "Bahnhofstraße", "Kirchgasse",  "Mühlenweg",
    "Lindenallee", "Am Brühl",    "Königstraße", "Uferstraße",    "Rosenstraße", "Marktplatz"};
const std::array<const char*, 8> kWarengruppen = {"Büromaterial", "Werkzeug",      "Elektrik",
                                                  "Sanitär",      "Möbel",         "Getränke",
                                                  "Lebensmittel", "Dienstleistung"};
const std::array<const char*, 16> kArtikel = {
    "Schraubendreher-Satz",  "Kugelschreiber blau",    "Aktenordner breit",
    "Bohrmaschine 18 V",     "Glühbirne E27 warmweiß", "Wasserhahn Küche",
    "Bürostuhl ergonomisch", "Mineralwasser 12×0,7 l", "Kaffee gemahlen 500 g",
    "Wartungsstunde",        "Verlängerungskabel 5 m", "Schreibtisch Eiche",
    "Hammer 500 g",          "Druckerpapier A4",       "Dübel-Sortiment",
    "Apfelsaft naturtrüb"};
const std::array<const char*, 4> kEinheiten = {"Stück", "Packung", "Kiste", "Stunde"};

struct Konto {
    int nummer;
    const char* bezeichnung;
    const char* art;
};
const std::array<Konto, 20> kKonten = {{{1000, "Kasse", "Bestand"},
                                        {1200, "Bank", "Bestand"},
                                        {1400, "Forderungen aus Lieferungen", "Bestand"},
                                        {1576, "Abziehbare Vorsteuer 19 %", "Bestand"},
                                        {1600, "Verbindlichkeiten", "Bestand"},
                                        {1776, "Umsatzsteuer 19 %", "Bestand"},
                                        {1771, "Umsatzsteuer 7 %", "Bestand"},
                                        {3400, "Wareneingang 19 % Vorsteuer", "Aufwand"},
                                        {4100, "Löhne", "Aufwand"},
                                        {4120, "Gehälter", "Aufwand"},
                                        {4210, "Miete", "Aufwand"},
                                        {4240, "Gas, Strom, Wasser", "Aufwand"},
                                        {4530, "Laufende Kfz-Betriebskosten", "Aufwand"},
                                        {4650, "Bewirtungskosten", "Aufwand"},
                                        {4930, "Bürobedarf", "Aufwand"},
                                        {4970, "Nebenkosten des Geldverkehrs", "Aufwand"},
                                        {8300, "Erlöse 7 % USt", "Ertrag"},
                                        {8400, "Erlöse 19 % USt", "Ertrag"},
                                        {8736, "Gewährte Skonti 19 % USt", "Ertrag"},
                                        {2650, "Sonstige Zinsen und ähnliche Erträge", "Ertrag"}}};

std::string Date(int year, int month, int day) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::string DateTimeText(int year, int month, int day, int h, int m, int s) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, h, m, s);
    return buf;
}

std::string Money(int cents) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%d.%02d", cents < 0 ? "-" : "", std::abs(cents) / 100,
                  std::abs(cents) % 100);
    return buf;
}

// Mail addresses spell umlauts out.
std::string MailName(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        const std::string_view rest = std::string_view(name).substr(i);
        if (rest.rfind("ä", 0) == 0)
            out += "ae", ++i;
        else if (rest.rfind("ö", 0) == 0)
            out += "oe", ++i;
        else if (rest.rfind("ü", 0) == 0)
            out += "ue", ++i;
        else if (rest.rfind("ß", 0) == 0)
            out += "ss", ++i;
        else
            out.push_back(AsciiLower(name[i]));
    }
    return out;
}

int64_t CountRows(db::Connection& c, const char* table) {
    auto rs = c.OpenRecordSet(std::string("SELECT COUNT(*) FROM ") + table);
    const int64_t n = std::get<int64_t>(rs->Item(0));
    rs->Close();
    return n;
}

void CreateTables(db::Connection& c) {
    for (const char* t : {"Buchungen", "Kunden", "Artikel", "Sachkonten"})
        c.Execute(std::string("DROP TABLE IF EXISTS ") + t);
    // SQLite knows a time stamp by the name its users give it; servers by the standard's name.
    const std::string timestamp = c.Dialect() == "sqlite" ? "DATETIME" : "TIMESTAMP";
    c.Execute(
        "CREATE TABLE Kunden (Kundennummer INTEGER PRIMARY KEY, Name TEXT NOT NULL, Vorname TEXT,"
        " Firma TEXT, Strasse TEXT, PLZ TEXT, Ort TEXT, Land TEXT, Telefon TEXT, Email TEXT,"
        " Kreditlimit DECIMAL(12,2), Rabatt REAL, Angelegt DATE, GeaendertAm " +
        timestamp + ", Aktiv BOOLEAN)");
    c.Execute(
        "CREATE TABLE Artikel (Artikelnummer TEXT PRIMARY KEY, Bezeichnung TEXT NOT NULL,"
        " Warengruppe TEXT, Einheit TEXT, VKPreis DECIMAL(12,2), EKPreis DECIMAL(12,2), MwStSatz "
        "INTEGER,"
        " Bestand INTEGER, Gesperrt BOOLEAN, LetzteLieferung DATE)");
    c.Execute(
        "CREATE TABLE Sachkonten (Kontonummer INTEGER PRIMARY KEY, Bezeichnung TEXT NOT NULL,"
        " Kontoart TEXT, Kontenrahmen TEXT)");
    c.Execute(
        "CREATE TABLE Buchungen (Buchungsnummer INTEGER PRIMARY KEY, Belegnummer TEXT, Belegdatum "
        "DATE, Buchungsdatum " +
        timestamp +
        ", Kundennummer INTEGER REFERENCES Kunden(Kundennummer), Konto "
        "INTEGER,"
        " Gegenkonto INTEGER, Betrag DECIMAL(12,2), Steuerschluessel INTEGER, Buchungstext TEXT, "
        "Waehrung TEXT)");
}

}  // namespace

std::vector<std::string> ExistingDemoTables(db::Connection& c) {
    std::vector<std::string> found;
    for (const char* table : {"Kunden", "Artikel", "Sachkonten", "Buchungen"}) {
        // SQLite compares table names without regard to ASCII case.
        auto rs = c.OpenRecordSet(
            "SELECT name FROM sqlite_master"
            " WHERE type IN ('table', 'view') AND lower(name) = lower(?)",
            {std::string(table)});
        if (!rs->Eof()) found.push_back(std::get<std::string>(rs->Item(0)));
        rs->Close();
    }
    return found;
}

DemoCounts CreateDemoData(db::Connection& c) {
    Random rnd(20041231);
    // Dropping belongs to the transaction too, so that a failure brings the old tables back.
    c.Execute("BEGIN");
    try {
        CreateTables(c);
        for (int k = 1; k <= 240; ++k) {
            const auto& ort = rnd.Pick(kOrte);
            const std::string name = rnd.Pick(kNachnamen);
            const bool firma = rnd.Chance(55);
            const int year = rnd.Between(2015, 2026);
            c.Execute(
                "INSERT INTO Kunden VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {int64_t{10000 + k}, name,
                 firma ? Value(Null{}) : Value(std::string(rnd.Pick(kVornamen))),
                 firma ? Value(std::string(rnd.Pick(kFirmen)) + " " + name +
                               (rnd.Chance(50) ? " GmbH" : " e.K."))
                       : Value(Null{}),
                 std::string(rnd.Pick(kStrassen)) + " " + std::to_string(rnd.Between(1, 120)),
                 std::string(ort[0]), std::string(ort[1]), std::string(rnd.Chance(92) ? "D" : "A"),
                 rnd.Chance(85) ? Value("0" + std::to_string(rnd.Between(200, 999)) + "/" +
                                        std::to_string(rnd.Between(10000, 999999)))
                                : Value(Null{}),
                 rnd.Chance(70) ? Value(MailName(name) + std::to_string(k) + "@beispiel.de")
                                : Value(Null{}),
                 Decimal{Money(rnd.Between(0, 50) * 100000)},
                 rnd.Chance(30) ? Value(rnd.Between(1, 15) / 2.0) : Value(0.0),
                 Date(year, rnd.Between(1, 12), rnd.Between(1, 28)),
                 rnd.Chance(80) ? Value(DateTimeText(2026, rnd.Between(1, 11), rnd.Between(1, 28),
                                                     rnd.Between(7, 18), rnd.Between(0, 59),
                                                     rnd.Between(0, 59)))
                                : Value(Null{}),
                 rnd.Chance(90)});
        }
        for (int a = 1; a <= 160; ++a) {
            const int vk = rnd.Between(49, 250000);
            c.Execute(
                "INSERT INTO Artikel VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {"A-" + std::to_string(10000 + a * 7),
                 std::string(rnd.Pick(kArtikel)) + (a % 3 == 0 ? " „Premium“" : ""),
                 std::string(rnd.Pick(kWarengruppen)), std::string(rnd.Pick(kEinheiten)),
                 Decimal{Money(vk)}, Decimal{Money(vk * rnd.Between(40, 80) / 100)},
                 int64_t{rnd.Chance(20) ? 7 : 19}, int64_t{rnd.Between(-20, 500)}, rnd.Chance(8),
                 rnd.Chance(75)
                     ? Value(Date(rnd.Between(2025, 2026), rnd.Between(1, 12), rnd.Between(1, 28)))
                     : Value(Null{})});
        }
        for (const Konto& k : kKonten)
            c.Execute("INSERT INTO Sachkonten VALUES (?, ?, ?, ?)",
                      {int64_t{k.nummer}, std::string(k.bezeichnung), std::string(k.art),
                       std::string("SKR03")});

        int beleg = 0;
        for (int n = 1; n <= 4200; ++n) {
            const int year = n <= 2000 ? 2025 : 2026;
            const int month = rnd.Between(1, 12), day = rnd.Between(1, 28);
            const bool erloes = rnd.Chance(60);
            const Konto& konto =
                erloes ? kKonten[17 - rnd.Between(0, 1)] : kKonten[rnd.Between(7, 15)];
            int cents = rnd.Between(150, 950000);
            if (rnd.Chance(7)) cents = -cents;  // Storno and Gutschrift
            if (n % 3 == 1) ++beleg;
            const bool midnight = rnd.Chance(30);
            c.Execute(
                "INSERT INTO Buchungen VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {int64_t{n},
                 (erloes ? "RE-" : "ER-") + std::to_string(year) + "-" +
                     std::to_string(10000 + beleg),
                 Date(year, month, day),
                 midnight ? DateTimeText(year, month, day, 0, 0, 0)
                          : DateTimeText(year, month, day, rnd.Between(6, 21), rnd.Between(0, 59),
                                         rnd.Between(0, 59)),
                 erloes ? Value(int64_t{10000 + rnd.Between(1, 240)}) : Value(Null{}),
                 int64_t{konto.nummer}, int64_t{erloes ? 1400 : 1600}, Decimal{Money(cents)},
                 rnd.Chance(90) ? Value(int64_t{konto.nummer == 8300 ? 2 : 3}) : Value(Null{}),
                 std::string(cents < 0 ? "Storno " : "") + konto.bezeichnung + " " +
                     std::string(rnd.Pick(kNachnamen)),
                 std::string("EUR")});
        }
        c.Execute("COMMIT");
    } catch (...) {
        // The error that stopped the demo matters, not one of the rollback.
        try {
            c.Execute("ROLLBACK");
        } catch (...) {
        }
        throw;
    }
    return {CountRows(c, "Kunden"), CountRows(c, "Artikel"), CountRows(c, "Sachkonten"),
            CountRows(c, "Buchungen")};
}

}  // namespace norvik::standalone
