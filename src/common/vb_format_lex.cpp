#include "common/vb_format_lex.h"

namespace norvik::vbfmt {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(s[i]) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

size_t Utf8Length(std::string_view s, size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    size_t n = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
    }
    if (i + n > s.size()) return 1;
    for (size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

std::vector<std::string_view> SplitSections(std::string_view format) {
    std::vector<std::string_view> sections;
    size_t start = 0;
    bool quoted = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quoted) {
            quoted = c != '"';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '\\') {
            ++i;
        } else if (c == ';') {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
            // a fifth section has no meaning; the rest is ignored
            if (sections.size() == 4) return sections;
        }
    }
    sections.push_back(format.substr(start < format.size() ? start : format.size()));
    return sections;
}

Piece Lexer::Next() {
    const size_t start = pos_;
    const char c = s_[pos_];
    if (c == '"') {
        const size_t close = s_.find('"', pos_ + 1);
        const size_t end = close == std::string_view::npos ? s_.size() : close;
        pos_ = close == std::string_view::npos ? s_.size() : close + 1;
        return {true, s_.substr(start + 1, end - start - 1)};
    }
    if (c == '\\') {
        if (pos_ + 1 >= s_.size()) {
            pos_ = s_.size();
            return {true, {}};
        }
        const size_t n = Utf8Length(s_, pos_ + 1);
        pos_ += 1 + n;
        return {true, s_.substr(start + 1, n)};
    }
    if (static_cast<unsigned char>(c) >= 0x80) {
        const size_t n = Utf8Length(s_, pos_);
        pos_ += n;
        return {true, s_.substr(start, n)};
    }
    ++pos_;
    return {false, s_.substr(start, 1)};
}

void AddLiteral(Section& section, std::string_view text) {
    if (text.empty()) return;
    if (!section.items.empty() && section.items.back().op == Op::kLiteral &&
        section.items.back().offset + section.items.back().length == section.pool.size()) {
        section.items.back().length += static_cast<uint32_t>(text.size());
    } else {
        section.items.push_back({Op::kLiteral, static_cast<uint32_t>(section.pool.size()),
                                 static_cast<uint32_t>(text.size())});
    }
    section.pool.append(text);
}

size_t AmPmLength(std::string_view rest) {
    if (StartsWithNoCase(rest, "am/pm")) return 5;
    if (StartsWithNoCase(rest, "ampm")) return 4;
    if (StartsWithNoCase(rest, "a/p")) return 3;
    return 0;
}

bool StartsDateCode(std::string_view rest) {
    if (rest.empty()) return false;
    switch (Lower(rest[0])) {
        case 'd':
        case 'm':
        case 'y':
        case 'h':
        case 'n':
        case 's':
        case 'w':
        case 'q':
        case 'c':
            return true;
        case 't':
            return StartsWithNoCase(rest, "ttttt");
        case 'a':
            return AmPmLength(rest) > 0;
        default:
            return false;
    }
}

Kind ClassifySection(std::string_view section) {
    if (section.empty()) return Kind::kEmpty;
    Lexer lex(section);
    bool textCodes = false;
    while (!lex.AtEnd()) {
        const std::string_view rest = lex.Rest();
        const Piece p = lex.Next();
        if (p.literal) continue;
        switch (p.text[0]) {
            case '0':
            case '#':
            case '%':
                return Kind::kNumber;
            case '@':
            case '&':
                return Kind::kText;
            case '<':
            case '>':
            case '!':
                textCodes = true;
                break;
            default:
                if (StartsDateCode(rest)) return Kind::kDate;
        }
    }
    return textCodes ? Kind::kText : Kind::kLiteral;
}

}  // namespace norvik::vbfmt
