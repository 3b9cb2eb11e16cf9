#include "db/odbc/odbc_text.h"

#include "common/utf8.h"

namespace norvik::db {

std::basic_string<SQLWCHAR> ToOdbcText(std::string_view utf8) {
    std::basic_string<SQLWCHAR> out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const Utf8Char ch = DecodeUtf8(utf8, i);
        i += ch.length;
        if (ch.codePoint < 0x10000) {
            out.push_back(static_cast<SQLWCHAR>(ch.codePoint));
        } else {
            const char32_t v = ch.codePoint - 0x10000;
            out.push_back(static_cast<SQLWCHAR>(0xD800 + (v >> 10)));
            out.push_back(static_cast<SQLWCHAR>(0xDC00 + (v & 0x3FF)));
        }
    }
    return out;
}

void AppendFromOdbcText(std::string& out, const SQLWCHAR* text, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const char32_t unit = text[i];
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
            continue;
        }
        char32_t cp = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
}

std::string FromOdbcText(const SQLWCHAR* text) {
    size_t count = 0;
    while (text[count] != 0) ++count;
    std::string out;
    AppendFromOdbcText(out, text, count);
    return out;
}

}  // namespace norvik::db
