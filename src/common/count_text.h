#pragma once
// Counts of rows as a person reads them: thousands points, and the singular for one.

#include <cstdint>
#include <string>
#include <string_view>

namespace norvik {

// 586487 as "586.487".
std::string GroupedCount(int64_t count);
// The rows of a run so far as a person reads them: "586.487 Datensätze exportiert.", "1 Datensatz
// exportiert.".
std::string ExportedRowsText(int64_t rows);

}  // namespace norvik
