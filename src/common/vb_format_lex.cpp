#include "common/vb_format_lex.h"

#include "common/ascii.h"
#include "common/cp1252_case.h"
#include "common/utf8.h"

namespace norvik::vbfmt {

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
        const size_t n = CharLengthAt(s_, pos_ + 1);
        pos_ += 1 + n;
        return {true, s_.substr(start + 1, n)};
    }
    if (static_cast<unsigned char>(c) >= 0x80) {
        const size_t n = CharLengthAt(s_, pos_);
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

void AddCaseOrLiteral(Section& section, std::string_view text) {
    if (text == "<")
        section.textCase = TextCase::kLower;
    else if (text == ">")
        section.textCase = TextCase::kUpper;
    else
        AddLiteral(section, text);
}

size_t AmPmLength(std::string_view rest) {
    if (StartsWithIgnoreCase(rest, "am/pm")) return 5;
    if (StartsWithIgnoreCase(rest, "ampm")) return 4;
    if (StartsWithIgnoreCase(rest, "a/p")) return 3;
    return 0;
}

bool StartsDateCode(std::string_view rest) {
    if (rest.empty()) return false;
    switch (AsciiLower(rest[0])) {
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
            return StartsWithIgnoreCase(rest, "ttttt");
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
