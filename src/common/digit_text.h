#pragma once
// Digits as people and files read them: thousands groups, upper-case hexadecimal bytes.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace norvik {

// Appends digits[from, to) of a run of digits, `separator` after each digit that leaves a multiple
// of three digits of the run behind it ("1234567" gives "1.234.567").
inline void AppendGroupedDigits(std::string& out, std::string_view digits,
                                std::string_view separator, size_t from = 0,
                                size_t to = std::string_view::npos) {
    to = std::min(to, digits.size());
    for (size_t i = from; i < to; ++i) {
        out.push_back(digits[i]);
        const size_t behind = digits.size() - 1 - i;
        if (behind > 0 && behind % 3 == 0) out.append(separator);
    }
}

// Writes two upper-case hex digits per byte to out (room for 2 * bytes.size() characters).
inline char* WriteUpperHex(std::string_view bytes, char* out) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = kDigits[byte >> 4];
        *out++ = kDigits[byte & 0x0F];
    }
    return out;
}

}  // namespace norvik
