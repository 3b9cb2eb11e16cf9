#include "common/vb_format_text.h"

#include <vector>

#include "common/cp1252_case.h"
#include "common/utf8.h"
#include "common/vb_format_lex.h"

namespace norvik::vbfmt {

void ChangeCase(std::string& s, size_t from, TextCase textCase) {
    if (textCase == TextCase::kKeep || from >= s.size()) return;
    const std::string_view rest = std::string_view(s).substr(from);
    s.replace(from, std::string::npos,
              textCase == TextCase::kUpper ? UpperCase(rest) : LowerCase(rest));
}

void BuildTextSection(std::string_view text, Section& section) {
    Lexer lex(text);
    while (!lex.AtEnd()) {
        const Piece p = lex.Next();
        if (p.literal) {
            AddLiteral(section, p.text);
            continue;
        }
        switch (p.text[0]) {
            case '@':
                section.items.push_back({Op::kCharOrSpace});
                ++section.placeholders;
                break;
            case '&':
                section.items.push_back({Op::kCharOrNothing});
                ++section.placeholders;
                break;
            case '!':
                section.leftToRight = true;
                break;
            default:
                AddCaseOrLiteral(section, p.text);
                break;
        }
    }
}

void AppendTextSection(const Section& section, std::string_view value, std::string& out) {
    std::string text(value);
    ChangeCase(text, 0, section.textCase);
    std::vector<std::string_view> chars;
    const std::string_view view(text);
    for (size_t i = 0; i < view.size();) {
        const size_t n = CharLengthAt(view, i);
        chars.push_back(view.substr(i, n));
        i += n;
    }
    const size_t count = chars.size();
    const size_t slots = static_cast<size_t>(section.placeholders);
    // Fewer characters than placeholders: the empty ones come first, unless ! fills from the left.
    const size_t empty = count < slots && !section.leftToRight ? slots - count : 0;
    size_t slot = 0;
    for (const Item& item : section.items) {
        if (item.op == Op::kLiteral) {
            out.append(section.pool, item.offset, item.length);
            continue;
        }
        const size_t index = slot - empty;
        if (slot >= empty && index < count) {
            out.append(chars[index]);
        } else if (item.op == Op::kCharOrSpace) {
            out.push_back(' ');
        }
        ++slot;
    }
    // more characters than placeholders: the rest follows at the end
    for (size_t i = slots; i < count; ++i) out.append(chars[i]);
}

}  // namespace norvik::vbfmt
