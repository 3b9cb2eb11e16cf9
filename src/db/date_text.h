#pragma once
// Dates and times as the databases write them in text ("YYYY-MM-DD HH:MM:SS").

#include <string>
#include <string_view>

#include "common/value.h"

namespace norvik::db {

// Reads "YYYY-MM-DD" or "YYYY-MM-DD HH:MM[:SS[.fff]]" ("T" also separates); drops fractions and a
// zone offset.
bool ParseDateTimeText(std::string_view text, DateTime& out);
// A date/time read from its parts: valid (years 100 to 9999) and one second later when a
// fraction of half a second or more was dropped, as ParseDateTimeText gives it; false otherwise.
bool CompleteDateTime(DateTime value, bool roundUp, DateTime& out);
// Reads "HH:MM[:SS[.fff]]" as a time on the zero date 30.12.1899; drops fractions and a zone
// offset.
bool ParseTimeText(std::string_view text, DateTime& out);
// Reads a text of a column without declared type (a SQLite expression) as a date when it has the
// exact form SQLite's date functions write ("2026-12-31", "2026-12-31 08:15:00"); a time alone
// does not count.
bool ParseComputedDate(std::string_view text, DateTime& out);
// Appends "YYYY-MM-DD HH:MM:SS", or "YYYY-MM-DD" at midnight, the form parameters are passed in.
void AppendDateTimeParam(std::string& out, const DateTime& value);

}  // namespace norvik::db
