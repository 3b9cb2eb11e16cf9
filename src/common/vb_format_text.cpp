#include "common/vb_format_text.h"

#include <vector>

#include "common/vb_format_lex.h"

namespace norvik::vbfmt {
namespace {

char32_t Decode(std::string_view s, size_t i, size_t n) {
    const auto b = [&](size_t k) {
        return static_cast<char32_t>(static_cast<unsigned char>(s[i + k]));
    };
    switch (n) {
        case 2:
            return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
        case 3:
            return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
        case 4:
            return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
        default:
            return b(0);
    }
}

void Encode(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Upper and lower case pairs outside ASCII and Latin-1 that Windows-1252 has.
constexpr char32_t kPairs[][2] = {{0x178, 0xFF}, {0x152, 0x153}, {0x160, 0x161}, {0x17D, 0x17E}};

char32_t ToUpper(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    for (const auto& p : kPairs) {
        if (c == p[1]) return p[0];
    }
    return c;
}

char32_t ToLower(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    for (const auto& p : kPairs) {
        if (c == p[0]) return p[1];
    }
    return c;
}

}  // namespace

void ChangeCase(std::string& s, size_t from, TextCase textCase) {
    if (textCase == TextCase::kKeep || from >= s.size()) return;
    std::string changed;
    changed.reserve(s.size() - from);
    const std::string_view view(s);
    for (size_t i = from; i < view.size();) {
        const size_t n = Utf8Length(view, i);
        if (n == 1 && static_cast<unsigned char>(view[i]) >= 0x80) {
            changed.push_back(view[i]);  // not UTF-8: kept as it is
        } else {
            const char32_t c = Decode(view, i, n);
            const char32_t mapped = textCase == TextCase::kUpper ? ToUpper(c) : ToLower(c);
            if (mapped == c) {
                changed.append(view.substr(i, n));
            } else {
                Encode(mapped, changed);
            }
        }
        i += n;
    }
    s.replace(from, std::string::npos, changed);
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
            case '<':
                section.textCase = TextCase::kLower;
                break;
            case '>':
                section.textCase = TextCase::kUpper;
                break;
            case '!':
                section.leftToRight = true;
                break;
            default:
                AddLiteral(section, p.text);
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
        const size_t n = Utf8Length(view, i);
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
