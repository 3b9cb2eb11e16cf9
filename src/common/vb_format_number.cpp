#include "common/vb_format_number.h"

#include <algorithm>
#include <vector>

#include "common/digit_text.h"
#include "common/vb_format_lex.h"

namespace norvik::vbfmt {
namespace {

// A number section read once into codes; commas get their meaning only when all is known.
struct Raw {
    enum Type { kLiteral, kZero, kHash, kPoint, kComma, kExponent, kPercent, kDateSep, kTimeSep };
    Type type;
    std::string_view text;
};

std::vector<Raw> Lex(std::string_view text) {
    std::vector<Raw> raw;
    Lexer lex(text);
    bool point = false;
    bool exponent = false;
    bool digit = false;
    while (!lex.AtEnd()) {
        const std::string_view rest = lex.Rest();
        const Piece p = lex.Next();
        if (p.literal) {
            raw.push_back({Raw::kLiteral, p.text});
            continue;
        }
        const char c = p.text[0];
        if (c == '0' || c == '#') {
            digit = true;
            raw.push_back({c == '0' ? Raw::kZero : Raw::kHash, p.text});
        } else if (c == '.' && !point && !exponent) {
            point = true;
            raw.push_back({Raw::kPoint, p.text});
        } else if (c == ',') {
            raw.push_back({Raw::kComma, p.text});
        } else if (c == '%') {
            raw.push_back({Raw::kPercent, p.text});
        } else if ((c == 'E' || c == 'e') && digit && !exponent && rest.size() > 1 &&
                   (rest[1] == '+' || rest[1] == '-')) {
            exponent = true;
            raw.push_back({Raw::kExponent, rest.substr(0, 2)});
            lex.Skip(1);
        } else if (c == '/') {
            raw.push_back({Raw::kDateSep, p.text});
        } else if (c == ':') {
            raw.push_back({Raw::kTimeSep, p.text});
        } else {
            raw.push_back({Raw::kLiteral, p.text});
        }
    }
    return raw;
}

bool IsDigit(const Raw& r) {
    return r.type == Raw::kZero || r.type == Raw::kHash;
}

void AppendGrouped(const std::string& s, size_t from, size_t to, bool grouping, std::string& out) {
    if (grouping)
        AppendGroupedDigits(out, s, ".", from, to);
    else
        out.append(s, from, to - from);
}

}  // namespace

void BuildNumberSection(std::string_view text, Section& section) {
    const std::vector<Raw> raw = Lex(text);
    // whether a digit placeholder follows in the same part (up to the point or the exponent)
    std::vector<bool> digitAfter(raw.size(), false);
    bool digitLater = false;
    for (size_t i = raw.size(); i-- > 0;) {
        digitAfter[i] = digitLater;
        if (raw[i].type == Raw::kPoint || raw[i].type == Raw::kExponent) digitLater = false;
        if (IsDigit(raw[i])) digitLater = true;
    }
    NumberLayout& n = section.number;
    enum Part { kInt, kFrac, kExp } part = kInt;
    int scale = 0;
    int percent = 0;
    bool digitBefore = false;
    int firstIntZero = -1;
    for (size_t i = 0; i < raw.size(); ++i) {
        const Raw& r = raw[i];
        switch (r.type) {
            case Raw::kLiteral:
                AddLiteral(section, r.text);
                break;
            case Raw::kZero:
            case Raw::kHash:
                digitBefore = true;
                if (part == kInt) {
                    if (r.type == Raw::kZero && firstIntZero < 0) firstIntZero = n.intDigits;
                    ++n.intDigits;
                    section.items.push_back({Op::kIntDigit});
                } else if (part == kFrac) {
                    ++n.fracDigits;
                    if (r.type == Raw::kZero) n.fracMinDigits = n.fracDigits;
                    section.items.push_back({Op::kFracDigit});
                } else if (r.type == Raw::kZero) {
                    ++n.exponentMinDigits;
                }
                break;
            case Raw::kPoint:
                part = kFrac;
                section.items.push_back({Op::kPoint});
                break;
            case Raw::kComma:
                // a comma before further digits of its part groups; one after the last scales
                if (part == kExp || !digitBefore) break;
                if (!digitAfter[i]) {
                    ++scale;
                } else if (part == kInt) {
                    n.grouping = true;
                }
                break;
            case Raw::kExponent:
                part = kExp;
                n.exponent = true;
                n.exponentPlus = r.text[1] == '+';
                section.items.push_back(
                    {Op::kExponent, static_cast<uint32_t>(section.pool.size()), 1});
                section.pool.push_back(r.text[0]);
                break;
            case Raw::kPercent:
                ++percent;
                section.items.push_back({Op::kPercent});
                break;
            case Raw::kDateSep:
                section.items.push_back({Op::kDateSep});
                break;
            case Raw::kTimeSep:
                section.items.push_back({Op::kTimeSep});
                break;
        }
    }
    n.intMinDigits = firstIntZero < 0 ? 0 : n.intDigits - firstIntZero;
    n.shift = 2 * percent - 3 * scale;
}

void AppendNumber(const Section& section, Digits value, std::string& out) {
    const NumberLayout& n = section.number;
    value.Shift(n.shift);
    int exponent = 0;
    if (n.exponent) {
        const int intDigits = n.intDigits == 0 && n.fracDigits == 0 ? 1 : n.intDigits;
        if (!value.IsZero()) {
            value.RoundToSignificant(intDigits + n.fracDigits);
            exponent = value.point - intDigits;
            value.point = intDigits;
        }
    } else {
        value.RoundToDecimals(n.fracDigits);
    }

    std::string ints;
    for (int power = value.point - 1; power >= 0; --power) ints.push_back(value.DigitAt(power));
    if (static_cast<int>(ints.size()) < n.intMinDigits) {
        ints.insert(0, static_cast<size_t>(n.intMinDigits) - ints.size(), '0');
    }
    int shownFrac = n.fracMinDigits;
    for (int j = n.fracDigits; j > shownFrac; --j) {
        if (value.DigitAt(-j) != '0') {
            shownFrac = j;
            break;
        }
    }

    const int excess = static_cast<int>(ints.size()) - n.intDigits;
    bool intsWritten = n.intDigits > 0;
    int intIndex = 0;
    int fracIndex = 0;
    for (const Item& item : section.items) {
        const bool afterInts = item.op == Op::kPoint || item.op == Op::kFracDigit ||
                               item.op == Op::kExponent || item.op == Op::kPercent;
        if (!intsWritten && afterInts) {
            // without placeholders left of the point the integer digits still show, before it
            AppendGrouped(ints, 0, ints.size(), n.grouping, out);
            intsWritten = true;
        }
        switch (item.op) {
            case Op::kLiteral:
                out.append(section.pool, item.offset, item.length);
                break;
            case Op::kIntDigit: {
                const int to = intIndex + excess;
                const int from = intIndex == 0 ? 0 : to;
                if (to >= 0) {
                    AppendGrouped(ints, static_cast<size_t>(std::max(from, 0)),
                                  static_cast<size_t>(to) + 1, n.grouping, out);
                }
                ++intIndex;
                break;
            }
            case Op::kPoint:
                out.push_back(',');
                break;
            case Op::kFracDigit:
                ++fracIndex;
                if (fracIndex <= shownFrac) out.push_back(value.DigitAt(-fracIndex));
                break;
            case Op::kExponent: {
                out.push_back(section.pool[item.offset]);
                if (exponent < 0) {
                    out.push_back('-');
                } else if (n.exponentPlus) {
                    out.push_back('+');
                }
                std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
                if (static_cast<int>(digits.size()) < n.exponentMinDigits) {
                    digits.insert(0, static_cast<size_t>(n.exponentMinDigits) - digits.size(), '0');
                }
                out += digits;
                break;
            }
            case Op::kPercent:
                out.push_back('%');
                break;
            case Op::kDateSep:
                out.push_back('.');
                break;
            case Op::kTimeSep:
                out.push_back(':');
                break;
            default:
                break;
        }
    }
    if (!intsWritten) AppendGrouped(ints, 0, ints.size(), n.grouping, out);
}

}  // namespace norvik::vbfmt
