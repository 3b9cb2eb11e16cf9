#pragma once
// Counts of rows as a person reads them: thousands points, and the singular for one.

#include <cstdint>
#include <string>
#include <string_view>

namespace norvik {

// 586487 as "586.487".
std::string GroupedCount(int64_t count);
// An engine text that starts with a count of rows ("586487 Datensätze exportiert.") with the
// count grouped and "1 Datensatz" in the singular; other texts come back unchanged.
std::string ReadableCountText(std::string_view text);

}  // namespace norvik
