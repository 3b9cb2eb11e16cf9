#include "common/text_codec.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace norvik {
namespace {

// Unicode code points of the bytes 0x80 to 0x9F; the unassigned ones map to the C1 control.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one character at i; a malformed sequence yields U+FFFD and a length of 1.
char32_t DecodeAt(std::string_view s, size_t i, size_t& len) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    len = 1;
    if (b0 < 0x80) return b0;
    int need;
    char32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
    } else {
        return 0xFFFD;
    }
    if (i + static_cast<size_t>(need) >= s.size()) return 0xFFFD;
    for (int k = 1; k <= need; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms and surrogates are malformed.
    if ((need == 2 && cp < 0x800) || (need == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0xFFFD;
    len = static_cast<size_t>(need) + 1;
    return cp;
}

// The Windows-1252 byte of a code point, or -1 when the code page lacks it.
int Cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (size_t k = 0; k < kHigh.size(); ++k)
        if (kHigh[k] == cp) return static_cast<int>(0x80 + k);
    return -1;
}

char32_t UpperOf(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    switch (c) {
        case 0xFF:
            return 0x178;
        case 0x161:
            return 0x160;
        case 0x17E:
            return 0x17D;
        case 0x153:
            return 0x152;
        default:
            return c;
    }
}

char32_t LowerOf(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    switch (c) {
        case 0x178:
            return 0xFF;
        case 0x160:
            return 0x161;
        case 0x17D:
            return 0x17E;
        case 0x152:
            return 0x153;
        default:
            return c;
    }
}

template <typename Map>
std::string MapChars(std::string_view s, Map map) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t len;
        const char32_t cp = DecodeAt(s, i, len);
        if (cp == 0xFFFD && len == 1 && static_cast<unsigned char>(s[i]) >= 0x80)
            out.push_back(s[i]);  // keep stray bytes as they are
        else
            AppendUtf8(out, map(cp));
        i += len;
    }
    return out;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out.push_back(ch);
        else
            AppendUtf8(out, b < 0xA0 ? kHigh[b - 0x80] : static_cast<char32_t>(b));
    }
    return out;
}

size_t AppendCp1252(std::string& out, std::string_view utf8) {
    size_t replaced = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        // Runs of ASCII are copied as they are, eight bytes a test.
        size_t j = i;
        while (j + 8 <= utf8.size()) {
            uint64_t word;
            std::memcpy(&word, utf8.data() + j, 8);
            if (word & 0x8080808080808080ULL) break;
            j += 8;
        }
        while (j < utf8.size() && static_cast<unsigned char>(utf8[j]) < 0x80) ++j;
        out.append(utf8.data() + i, j - i);
        i = j;
        if (i >= utf8.size()) break;
        size_t len;
        const int b = Cp1252Byte(DecodeAt(utf8, i, len));
        if (b < 0) {
            out.push_back('?');
            ++replaced;
        } else {
            out.push_back(static_cast<char>(b));
        }
        i += len;
    }
    return replaced;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendCp1252(out, utf8);
    return out;
}

bool FitsCp1252(std::string_view utf8) {
    std::string scratch;
    return AppendCp1252(scratch, utf8) == 0;
}

size_t CharLengthAt(std::string_view utf8, size_t i) {
    size_t len;
    DecodeAt(utf8, i, len);
    return len;
}

size_t CharCount(std::string_view utf8) {
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); i += CharLengthAt(utf8, i)) ++n;
    return n;
}

size_t ByteOffsetOfChar(std::string_view utf8, size_t charIndex) {
    size_t i = 0;
    for (size_t n = 0; n < charIndex && i < utf8.size(); ++n) i += CharLengthAt(utf8, i);
    return i;
}

std::string_view LeftChars(std::string_view utf8, size_t n) {
    return utf8.substr(0, ByteOffsetOfChar(utf8, n));
}

std::string_view RightChars(std::string_view utf8, size_t n) {
    const size_t count = CharCount(utf8);
    if (n >= count) return utf8;
    return utf8.substr(ByteOffsetOfChar(utf8, count - n));
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
        size_t la, lb;
        const char32_t ca = DecodeAt(a, i, la);
        const char32_t cb = DecodeAt(b, j, lb);
        if (LowerOf(ca) != LowerOf(cb)) return false;
        if (ca == 0xFFFD && a[i] != b[j]) return false;
        i += la;
        j += lb;
    }
    return i == a.size() && j == b.size();
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string_view TrimWhite(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace norvik
