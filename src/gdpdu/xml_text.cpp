#include "gdpdu/xml_text.h"

#include <fmt/format.h>

#include <iterator>

#include "common/utf8.h"

namespace norvik {
namespace {

// The character at i; a malformed sequence's byte stands for itself.
struct CharAt {
    char32_t c;
    size_t length;
};
CharAt CodePointAt(std::string_view s, size_t i) {
    const Utf8Char u = DecodeUtf8(s, i);
    return {u.malformed ? static_cast<unsigned char>(s[i]) : u.codePoint, u.length};
}

bool ForbiddenInXml(char32_t c) {
    return (c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D) || c == 0xFFFE || c == 0xFFFF;
}

}  // namespace

void AppendXmlValue(std::string& out, std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();) {
        const auto [c, length] = CodePointAt(utf8, i);
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (ForbiddenInXml(c))
            out += '?';
        else if (c >= 0x80 && (c < 0xA0 || c > 0xFF))
            fmt::format_to(std::back_inserter(out), "&#{};", static_cast<uint32_t>(c));
        else
            out.append(utf8.substr(i, length));
        i += length;
    }
}

std::string Latin1Bytes(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto [c, length] = CodePointAt(utf8, i);
        bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
        i += length;
    }
    return bytes;
}

}  // namespace norvik
