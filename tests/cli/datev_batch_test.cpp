// The demo's DATEV booking batch, read back with a reader of DATEV's published format: every month
// of the demo's bookings, a month without bookings, and what DATEV would refuse named by the run.

#include "support/datev_batch.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <ctime>
#include <sstream>

#include "cli/cli_fixture.h"
#include "db/connection.h"

namespace norvik {
namespace {

using test::CliOutcome;

// The run's own time stamp form, JJJJMMTThhmmssfff, of now.
std::string Stamp() {
    timeval now{};
    gettimeofday(&now, nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", std::localtime(&now.tv_sec));
    return text + std::to_string(1000 + now.tv_usec / 1000).substr(1);
}

// The fields of the first line, split at every ";" (a last empty one left out).
std::vector<std::string> HeaderFields(const std::string& bytes) {
    std::vector<std::string> fields;
    std::istringstream line(bytes.substr(0, bytes.find("\r\n")));
    for (std::string field; std::getline(line, field, ';');) fields.push_back(field);
    return fields;
}

class DatevBatchTest : public test::CliFixture {
  protected:
    void SetUp() override {
        CliFixture::SetUp();
        ASSERT_EQ(Run({"-q", "demo"}).code, 0);
    }
    // The batch of one month into out.
    CliOutcome RunMonth(int year, int month, const std::string& out,
                        const std::vector<std::string>& more = {}) const {
        static const int kLastDay[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        char range[64];
        std::snprintf(range, sizeof range, "01.%02d.%04d..%02d.%02d.%04d", month, year,
                      kLastDay[month - 1], month, year);
        std::vector<std::string> args = {
            "-q",    "run", "DATEV-Buchungsstapel", "--sel", std::string("Belegdatum=") + range,
            "--out", out};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args);
    }
    void AddBookings(const std::string& values) const {
        db::Connection::Open("sqlite:" + home() + "/host.sqlite")
            ->Execute(
                "INSERT INTO Buchungen (Buchungsnummer, Belegnummer, Belegdatum, Konto, "
                "Gegenkonto, Betrag, Steuerschluessel, Buchungstext, Waehrung) VALUES " +
                values);
    }
};

TEST_F(DatevBatchTest, EveryMonthOfTheDemoIsABatchDatevReads) {
    int64_t bookings = 0;
    for (int year : {2025, 2026})
        for (int month = 1; month <= 12; ++month) {
            SCOPED_TRACE(std::to_string(month) + "/" + std::to_string(year));
            const std::string out = dir.file("EXTF_" + std::to_string(month) + ".csv");
            const std::string before = Stamp();
            const CliOutcome r = RunMonth(year, month, out);
            const std::string after = Stamp();
            ASSERT_EQ(r.code, 0) << r.err;
            // The demo's bookings fit DATEV's limits: nothing is changed, nothing said.
            EXPECT_EQ(r.err, "");
            const std::string bytes = test::ReadBytes(out);
            for (const std::string& finding : test::DatevBatchFindings(bytes))
                ADD_FAILURE() << finding;
            const std::vector<std::string> header = HeaderFields(bytes);
            ASSERT_EQ(header.size(), 31u);
            EXPECT_TRUE(header[5] >= before && header[5] <= after) << header[5];
            char ym[16];
            std::snprintf(ym, sizeof ym, "%04d%02d", year, month);
            EXPECT_EQ(header[12], std::to_string(year) + "0101");
            EXPECT_EQ(header[14], std::string(ym) + "01");
            EXPECT_EQ(header[15].substr(0, 6), ym);
            // Header, title line, then one line per booking; DATEV refuses a tax key on its
            // automatic accounts (SKR03: 3400, 8300, 8400, 8736).
            size_t line = bytes.find("\r\n", bytes.find("\r\n") + 2) + 2;
            for (; line < bytes.size(); line = bytes.find("\r\n", line) + 2, ++bookings) {
                const std::vector<std::string> fields = HeaderFields(bytes.substr(line));
                const bool automatic = fields[7] == "3400" || fields[7] == "8300" ||
                                       fields[7] == "8400" || fields[7] == "8736";
                EXPECT_TRUE(!automatic || fields[8].empty()) << bytes.substr(line, 120);
            }
        }
    EXPECT_EQ(bookings, 4200);
}

TEST_F(DatevBatchTest, AnEmptyMonthWritesNoBatchWhatDatevRefusesIsNamed) {
    const std::string empty = dir.file("EXTF_leer.csv");
    CliOutcome r = RunMonth(2027, 1, empty);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.err.find("Keine Daten"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(empty));
    EXPECT_EQ(RunMonth(2027, 1, empty, {"--if-empty", "fail"}).code, 1);
    EXPECT_FALSE(std::filesystem::exists(empty));

    // A fiscal year from July: February 2027 belongs to the one begun on 1 July 2026.
    ASSERT_EQ(Run({"-q", "params", "DATEV-Buchungsstapel", "--set", "WJBeginn=01.07."}).code, 0);
    const std::string longText =
        "Zahlung \"Muster\" GmbH, Rechnung 4711 vom 3. Februar, Teilbetrag";
    AddBookings("(9001, 'RE-2027-1', '2027-02-03', 4930, 1600, 100.005, 12345, '" + longText +
                "', 'EUR'), (9002, 'RE-2027-2', '2027-02-04', 8400, 1400, 5, 3, "
                "'Pfeil → Lager', 'EUR')");
    const std::string out = dir.file("EXTF_2027_02.csv");
    r = RunMonth(2027, 2, out);
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* said :
         {"Zeile 3 (Datensatz 1), Feld Umsatz: 100,005 auf 2 Nachkommastellen gerundet.",
          "Zeile 3 (Datensatz 1), Feld BUSchluessel: auf 4 Zeichen gekürzt, vorher \"12345\".",
          "Zeile 3 (Datensatz 1), Feld Buchungstext: auf 60 Zeichen gekürzt, vorher",
          "Zeile 4 (Datensatz 2), Feld Buchungstext: 1 Zeichen als ? geschrieben."})
        EXPECT_NE(r.err.find(said), std::string::npos) << said << "\n" << r.err;
    const std::string bytes = test::ReadBytes(out);
    for (const std::string& finding : test::DatevBatchFindings(bytes)) ADD_FAILURE() << finding;
    EXPECT_EQ(HeaderFields(bytes)[12], "20260701");
    // The quotes stay in the text, doubled, and the cut counts each of them once.
    EXPECT_NE(bytes.find(";\"1234\";0302;\"RE-2027-1\";;;\"Zahlung \"\"Muster\"\" GmbH, Rechnung "
                         "4711 vom 3. Februar, Teilbet\";"),
              std::string::npos)
        << bytes;

    // An amount of eleven digits cannot be written at all: the run fails and names it.
    AddBookings("(9003, 'RE-2027-3', '2027-03-01', 8400, 1400, 12345678901, 3, 'Groß', 'EUR')");
    const std::string march = dir.file("EXTF_2027_03.csv");
    const CliOutcome failed = RunMonth(2027, 3, march);
    EXPECT_EQ(failed.code, 1);
    EXPECT_NE(failed.err.find("Feldes Umsatz"), std::string::npos) << failed.err;
    EXPECT_FALSE(std::filesystem::exists(march));

    // A terminal names ten changed values and counts the rest; the protocol names a hundred.
    std::string many;
    for (int n = 1; n <= 102; ++n)
        many += (n > 1 ? ", " : "") + std::string("(") + std::to_string(9100 + n) +
                ", 'RE-2027-4', '2027-04-01', 4930, 1600, 1, 3, '" + std::string(61, 'x') +
                "', 'EUR')";
    AddBookings(many);
    const CliOutcome april = RunMonth(2027, 4, dir.file("EXTF_2027_04.csv"));
    size_t named = 0;
    for (size_t at = 0; (at = april.err.find("Feld Buchungstext: auf 60", at)) != std::string::npos;
         ++at)
        ++named;
    EXPECT_EQ(named, 10u) << april.err;
    EXPECT_NE(april.err.find("92 weitere geänderte Werte sind hier nicht einzeln genannt"),
              std::string::npos)
        << april.err;
    const std::string protocol = Run({"protocol", "--last", "1"}).out;
    EXPECT_NE(protocol.find("Zeile 102 (Datensatz 100), Feld Buchungstext"), std::string::npos)
        << protocol;
    EXPECT_EQ(protocol.find("(Datensatz 101)"), std::string::npos) << protocol;
    EXPECT_NE(protocol.find("2 weitere Änderungen dieser Art sind nicht einzeln genannt."),
              std::string::npos)
        << protocol;

    // A fiscal year's start that is no day fails the run before it writes.
    ASSERT_EQ(Run({"-q", "params", "DATEV-Buchungsstapel", "--set", "WJBeginn=31.02."}).code, 0);
    const CliOutcome noDay = RunMonth(2027, 2, march);
    EXPECT_EQ(noDay.code, 1);
    EXPECT_NE(noDay.err.find("Der Parameter WJBeginn \"31.02.\" nennt keinen Tag"),
              std::string::npos)
        << noDay.err;
    EXPECT_FALSE(std::filesystem::exists(march));
}

}  // namespace
}  // namespace norvik
