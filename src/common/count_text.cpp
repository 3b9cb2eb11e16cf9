#include "common/count_text.h"

#include "common/digit_text.h"

namespace norvik {
namespace {

constexpr std::string_view kPlural = " Datensätze";
constexpr std::string_view kSingular = " Datensatz";

}  // namespace

std::string GroupedCount(int64_t count) {
    const bool negative = count < 0;
    const std::string digits =
        std::to_string(negative ? -static_cast<uint64_t>(count) : static_cast<uint64_t>(count));
    std::string grouped = negative ? "-" : "";
    AppendGroupedDigits(grouped, digits, ".");
    return grouped;
}

std::string ExportedRowsText(int64_t rows) {
    return GroupedCount(rows) + std::string(rows == 1 ? kSingular : kPlural) + " exportiert.";
}

}  // namespace norvik
