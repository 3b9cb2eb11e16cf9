#include "common/utf8.h"

namespace norvik {

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

}  // namespace norvik
