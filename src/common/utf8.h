#pragma once
// The one UTF-8 decoder of the text inside: code points, character counts, cuts by characters.

#include <cstddef>
#include <string>
#include <string_view>

namespace norvik {

// One character of a UTF-8 text as DecodeUtf8 reads it.
struct Utf8Char {
    char32_t codePoint;  // U+FFFD for a malformed sequence
    size_t length;       // bytes taken; 1 for a malformed sequence
    bool malformed;      // a stray byte, overlong form, surrogate, cut-off sequence or > U+10FFFF
};

// Decodes the character that starts at byte offset i (i < text.size()).
inline Utf8Char DecodeUtf8(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) return {lead, 1, false};
    constexpr Utf8Char kMalformed{0xFFFD, 1, true};
    size_t need;
    char32_t cp;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        cp = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        cp = lead & 0x07u;
    } else {
        return kMalformed;
    }
    if (i + need >= text.size()) return kMalformed;
    for (size_t k = 1; k <= need; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0u) != 0x80u) return kMalformed;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if ((need == 2 && cp < 0x800) || (need == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return kMalformed;
    return {cp, need + 1, false};
}

// Appends the UTF-8 bytes of a code point.
void AppendUtf8(std::string& out, char32_t codePoint);

// Length in bytes of the character that starts at offset i (1 for a malformed sequence).
inline size_t CharLengthAt(std::string_view utf8, size_t i) {
    return static_cast<unsigned char>(utf8[i]) < 0x80 ? 1 : DecodeUtf8(utf8, i).length;
}
// Number of characters (code points) in a UTF-8 text; a malformed sequence's byte counts as one.
size_t CharCount(std::string_view utf8);
// Byte offset of the character with this 0-based index (the size when past the end).
size_t ByteOffsetOfChar(std::string_view utf8, size_t charIndex);
// The first n characters.
std::string_view LeftChars(std::string_view utf8, size_t n);
// The last n characters.
std::string_view RightChars(std::string_view utf8, size_t n);

}  // namespace norvik
