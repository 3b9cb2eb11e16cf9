#pragma once
// Character classes of ASCII alone, whatever the locale: bytes beyond 0x7F (UTF-8 sequences,
// Windows-1252 letters) are in none of them.

#include <string_view>

namespace norvik {

// '0' to '9'.
constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
// 'A' to 'Z'.
constexpr bool IsAsciiUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
// 'A' to 'Z' and 'a' to 'z'.
constexpr bool IsAsciiLetter(char c) {
    return IsAsciiUpper(c) || (c >= 'a' && c <= 'z');
}
// A letter or a digit.
constexpr bool IsAsciiAlnum(char c) {
    return IsAsciiLetter(c) || IsAsciiDigit(c);
}
// A blank within a line: space or tab.
constexpr bool IsAsciiBlank(char c) {
    return c == ' ' || c == '\t';
}
// White space as the C locale has it: blank, line feed, carriage return, vertical tab, form feed.
constexpr bool IsAsciiSpace(char c) {
    return IsAsciiBlank(c) || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
// The ASCII letter lowered; every other byte as it is (format codes, keywords, type names).
constexpr char AsciiLower(char c) {
    return IsAsciiUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
// The ASCII letter raised; every other byte as it is.
constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
// True when both texts are equal with ASCII letter case ignored (keys, keywords, type names).
constexpr bool AsciiEqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

}  // namespace norvik
