#include "gdpdu/xml_text.h"

#include "common/text_codec.h"

namespace norvik {
namespace {

// The code point of the character at i; a stray byte stands for itself.
char32_t CodePointAt(std::string_view s, size_t i, size_t length) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    switch (length) {
        case 2:
            return ((byte(0) & 0x1Fu) << 6) | (byte(1) & 0x3Fu);
        case 3:
            return ((byte(0) & 0x0Fu) << 12) | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu);
        case 4:
            return ((byte(0) & 0x07u) << 18) | ((byte(1) & 0x3Fu) << 12) |
                   ((byte(2) & 0x3Fu) << 6) | (byte(3) & 0x3Fu);
        default:
            return byte(0);
    }
}

bool ForbiddenInXml(char32_t c) {
    return (c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D) || c == 0xFFFE || c == 0xFFFF;
}

}  // namespace

void AppendXmlValue(std::string& out, std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();) {
        const size_t length = CharLengthAt(utf8, i);
        const char32_t c = CodePointAt(utf8, i, length);
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (ForbiddenInXml(c))
            out += '?';
        else if (c >= 0x80 && (c < 0xA0 || c > 0xFF))
            out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
        else
            out.append(utf8.substr(i, length));
        i += length;
    }
}

std::string Latin1Bytes(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const size_t length = CharLengthAt(utf8, i);
        const char32_t c = CodePointAt(utf8, i, length);
        bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
        i += length;
    }
    return bytes;
}

}  // namespace norvik
