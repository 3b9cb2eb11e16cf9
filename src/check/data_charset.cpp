#include "check/data_charset.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "common/text_codec.h"

namespace norvik {
namespace {

// Code page 850 from 0x80 on; the DOS code page of German systems, whose letters agree with 437.
constexpr std::array<char16_t, 128> kCp850 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

constexpr bool Cp1252Undefined(unsigned char b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

}  // namespace

const char* CharsetName(CharacterSet set) {
    switch (set) {
        case CharacterSet::Ansi:
            return "ANSI (Windows-1252)";
        case CharacterSet::Oem:
            return "OEM (Codepage 850)";
        case CharacterSet::Macintosh:
            return "Macintosh";
        case CharacterSet::Utf8:
            return "UTF-8";
        case CharacterSet::Utf16:
            return "UTF-16";
        case CharacterSet::Utf7:
            return "UTF-7";
    }
    return "?";
}

bool Readable(CharacterSet set) {
    return set != CharacterSet::Utf7;
}

bool ReadAsUtf8(CharacterSet set) {
    return set == CharacterSet::Utf8 || set == CharacterSet::Utf16;
}

size_t FirstUndefinedByte(std::string_view bytes, CharacterSet set) {
    if (ReadAsUtf8(set)) set = CharacterSet::Utf8;
    if (set != CharacterSet::Ansi && set != CharacterSet::Utf8) return std::string_view::npos;
    for (size_t i = 0; i < bytes.size();) {
        // Runs of ASCII, the usual text, eight bytes a test.
        if (uint64_t word; i + 8 <= bytes.size()) {
            std::memcpy(&word, bytes.data() + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
        } else if (set == CharacterSet::Ansi) {
            if (Cp1252Undefined(b)) return i;
            ++i;
        } else {
            const Utf8Char c = DecodeUtf8(bytes, i);
            if (c.malformed) return i;
            i += c.length;
        }
    }
    return std::string_view::npos;
}

std::string DecodeForMessage(std::string_view bytes, CharacterSet set) {
    if (ReadAsUtf8(set)) set = CharacterSet::Utf8;
    switch (set) {
        case CharacterSet::Ansi:
            return Cp1252ToUtf8(bytes);
        case CharacterSet::Oem: {
            std::string out;
            for (char ch : bytes) {
                const auto b = static_cast<unsigned char>(ch);
                AppendUtf8(out, b < 0x80 ? b : kCp850[b - 0x80]);
            }
            return out;
        }
        case CharacterSet::Utf8: {
            std::string out;
            for (size_t i = 0; i < bytes.size();) {
                const Utf8Char c = DecodeUtf8(bytes, i);
                AppendUtf8(out, c.codePoint);
                i += c.length;
            }
            return out;
        }
        default: {
            std::string out;
            for (char ch : bytes) out += static_cast<unsigned char>(ch) < 0x80 ? ch : '?';
            return out;
        }
    }
}

std::optional<std::string> EncodeIn(std::string_view utf8, CharacterSet set) {
    if (ReadAsUtf8(set)) set = CharacterSet::Utf8;
    switch (set) {
        case CharacterSet::Ansi:
            if (!FitsCp1252(utf8)) return std::nullopt;
            return Utf8ToCp1252(utf8);
        case CharacterSet::Utf8:
            return std::string(utf8);
        case CharacterSet::Oem: {
            std::string out;
            for (size_t i = 0; i < utf8.size();) {
                const Utf8Char c = DecodeUtf8(utf8, i);
                i += c.length;
                if (c.codePoint < 0x80 && !c.malformed) {
                    out += static_cast<char>(c.codePoint);
                    continue;
                }
                const auto it = std::find(kCp850.begin(), kCp850.end(), c.codePoint);
                if (c.malformed || it == kCp850.end()) return std::nullopt;
                out += static_cast<char>(0x80 + (it - kCp850.begin()));
            }
            return out;
        }
        default:
            if (std::any_of(utf8.begin(), utf8.end(),
                            [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
                return std::nullopt;
            return std::string(utf8);
    }
}

size_t CharacterCount(std::string_view bytes, CharacterSet set) {
    return ReadAsUtf8(set) ? CharCount(bytes) : bytes.size();
}

}  // namespace norvik
