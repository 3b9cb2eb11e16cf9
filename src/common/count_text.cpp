#include "common/count_text.h"

#include "common/ascii.h"
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

std::string ReadableCountText(std::string_view text) {
    size_t end = 0;
    while (end < text.size() && end < 19 && IsAsciiDigit(text[end])) ++end;
    if (end == 0 || text.substr(end, kPlural.size()) != kPlural) return std::string(text);
    const int64_t count = std::stoll(std::string(text.substr(0, end)));
    return GroupedCount(count) + std::string(count == 1 ? kSingular : kPlural) +
           std::string(text.substr(end + kPlural.size()));
}

}  // namespace norvik
