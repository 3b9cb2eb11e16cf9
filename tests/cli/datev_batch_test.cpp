// The demo's DATEV booking batch, read back with a reader of DATEV's published format: every month
// of the demo's bookings, a month without bookings, and what DATEV would refuse named by the run.

#include "support/datev_batch.h"

#include <gtest/gtest.h>

#include <ctime>
#include <sstream>

#include "cli/cli_fixture.h"
#include "common/text_codec.h"
#include "db/connection.h"
#include "support/cases.h"

namespace norvik {
namespace {

using test::CliOutcome;

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
            const std::time_t before = std::time(nullptr);
            const CliOutcome r = RunMonth(year, month, out);
            ASSERT_EQ(r.code, 0) << r.err;
            // The demo's bookings fit DATEV's limits: nothing is changed, nothing said.
            EXPECT_EQ(r.err, "");
            const std::string bytes = test::ReadBytes(out);
            for (const std::string& finding : test::DatevBatchFindings(bytes))
                ADD_FAILURE() << finding;
            const std::vector<std::string> header = HeaderFields(bytes);
            ASSERT_EQ(header.size(), 31u);
            // The creation time is the run's, to the millisecond.
            char now[16];
            std::strftime(now, sizeof now, "%Y%m%d", std::localtime(&before));
            EXPECT_TRUE(header[5].starts_with(now) && header[5].size() == 17) << header[5];
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

// The cases of cases/datev_refusals.tsv on the bookings of cases/datev_bookings.sql.
TEST_F(DatevBatchTest, AnEmptyMonthWritesNoBatchWhatDatevRefusesIsNamed) {
    const std::string sql =
        test::ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/cli/cases/datev_bookings.sql");
    const auto db = db::Connection::Open("sqlite:" + home() + "/host.sqlite");
    for (size_t at = 0, end; (end = sql.find(";\n", at)) != std::string::npos; at = end + 2)
        db->Execute(sql.substr(at, end - at));
    for (const test::CaseRow& c : test::ReadCases("cli/cases/datev_refusals.tsv")) {
        SCOPED_TRACE(c.where);
        if (c[0] == "params") {
            ASSERT_EQ(Run({"-q", "params", "DATEV-Buchungsstapel", "--set", c[1]}).code, 0);
            continue;
        }
        const std::string out = dir.file("EXTF.csv");
        std::filesystem::remove(out);
        std::vector<std::string> options;
        std::istringstream words(c[2] == "-" ? "" : c[2]);
        for (std::string word; words >> word;) options.push_back(word);
        const CliOutcome r =
            RunMonth(std::stoi(c[1].substr(0, 4)), std::stoi(c[1].substr(5)), out, options);
        EXPECT_EQ(r.code, std::stoi(c[3])) << r.err;
        const bool written = std::filesystem::exists(out);
        EXPECT_EQ(written, r.code == 0 && r.err.find("Keine Daten") == std::string::npos);
        const std::string bytes = written ? test::ReadBytes(out) : "";
        if (written)
            for (const std::string& finding : test::DatevBatchFindings(bytes))
                ADD_FAILURE() << finding;
        const std::string where = c[4].substr(c[4][0] == '!');
        const std::string& text = where == "err"     ? r.err
                                  : where == "batch" ? Cp1252ToUtf8(bytes)
                                                     : Run({"protocol", "--last", "1"}).out;
        EXPECT_EQ(text.find(c[5]) != std::string::npos, c[4][0] != '!') << text;
    }
}

}  // namespace
}  // namespace norvik
