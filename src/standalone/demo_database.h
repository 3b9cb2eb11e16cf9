#pragma once
// The demo's business data: customers, articles, accounts and two years of bookings.

#include <cstdint>

#include "db/connection.h"

namespace norvik::standalone {

// Row counts of the demo tables.
struct DemoCounts {
    int64_t kunden = 0;
    int64_t artikel = 0;
    int64_t sachkonten = 0;
    int64_t buchungen = 0;
};

// Creates the tables Kunden, Artikel, Sachkonten and Buchungen (dropping earlier ones) and fills
// them with the same reproducible data every time: umlauts, nulls, negative amounts, dates with
// and without time, in 2025 and 2026.
DemoCounts CreateDemoData(db::Connection& connection);

}  // namespace norvik::standalone
