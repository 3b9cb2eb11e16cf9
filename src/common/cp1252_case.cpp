#include "common/cp1252_case.h"

#include "common/utf8.h"

namespace norvik {
namespace {

// Upper and lower case pairs outside Latin-1 that Windows-1252 has.
constexpr char32_t kPairs[][2] = {{0x178, 0xFF}, {0x152, 0x153}, {0x160, 0x161}, {0x17D, 0x17E}};

template <typename Map>
std::string MapChars(std::string_view s, Map map) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const Utf8Char c = DecodeUtf8(s, i);
        if (c.malformed)
            out.push_back(s[i]);
        else
            AppendUtf8(out, map(c.codePoint));
        i += c.length;
    }
    return out;
}

}  // namespace

char32_t UpperOf(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    for (const auto& p : kPairs)
        if (c == p[1]) return p[0];
    return c;
}

char32_t LowerOf(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    for (const auto& p : kPairs)
        if (c == p[0]) return p[1];
    return c;
}

std::string UpperCase(std::string_view utf8) {
    return MapChars(utf8, UpperOf);
}

std::string LowerCase(std::string_view utf8) {
    return MapChars(utf8, LowerOf);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const Utf8Char ca = DecodeUtf8(a, i);
        const Utf8Char cb = DecodeUtf8(b, j);
        if (ca.malformed || cb.malformed) {
            // Bytes that are no character match only themselves.
            if (ca.malformed != cb.malformed || a[i] != b[j]) return false;
        } else if (LowerOf(ca.codePoint) != LowerOf(cb.codePoint)) {
            return false;
        }
        i += ca.length;
        j += cb.length;
    }
    return i == a.size() && j == b.size();
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace norvik
