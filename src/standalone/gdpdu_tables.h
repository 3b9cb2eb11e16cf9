#pragma once
// The tables of a GDPdU build from the command line: chosen by caption or by table name, all of
// them, or the selection stored by the last build (then named on the error output).

#include <string>
#include <vector>

#include "gdpdu/tq_gdpdu.h"

namespace norvik::standalone {

// How the command line chose the tables.
struct TableChoice {
    std::vector<std::string> names;  // --table: captions or table names
    bool all = false;                // --all-tables
    bool remember = true;            // without --no-remember: read and store the selection
};

// Selects the profile's tables as chosen; raises UsageError for an unknown name, listing the known
// ones. Returns the note about a stored selection that was taken, else empty.
std::string ChooseTables(TQGDPdU& gdpdu, const TableChoice& choice);
// Stores the tables chosen by --table or --all-tables, when the build remembers.
void StoreChosenTables(const TQGDPdU& gdpdu, const TableChoice& choice);

}  // namespace norvik::standalone
