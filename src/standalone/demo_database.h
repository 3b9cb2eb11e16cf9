#pragma once
// The demo's business data: customers, articles, accounts and two years of bookings.

#include <cstdint>
#include <string>
#include <vector>

#include "db/connection.h"

namespace norvik::standalone {

// Row counts of the demo tables.
struct DemoCounts {
    int64_t kunden = 0;
    int64_t artikel = 0;
    int64_t sachkonten = 0;
    int64_t buchungen = 0;
};

// The tables (or views) Kunden, Artikel, Sachkonten and Buchungen of a SQLite database, as they
// are named there.
std::vector<std::string> ExistingDemoTables(db::Connection& connection);
// Creates the tables Kunden, Artikel, Sachkonten and Buchungen (dropping earlier ones) and fills
// them with the same reproducible data every time: umlauts, nulls, negative amounts, dates with
// and without time, in 2025 and 2026. All in one transaction: when it fails, the database keeps
// the tables it had.
DemoCounts CreateDemoData(db::Connection& connection);

}  // namespace norvik::standalone
