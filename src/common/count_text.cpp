#include "common/count_text.h"

#include "common/ascii.h"

namespace norvik {
namespace {

constexpr std::string_view kPlural = " Datensätze";
constexpr std::string_view kSingular = " Datensatz";

}  // namespace

std::string GroupedCount(int64_t count) {
    const bool negative = count < 0;
    std::string digits =
        std::to_string(negative ? -static_cast<uint64_t>(count) : static_cast<uint64_t>(count));
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3 + 1);
    if (negative) grouped += '-';
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += '.';
        grouped += digits[i];
    }
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
