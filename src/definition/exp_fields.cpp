#include "definition/exp_fields.h"

#include "common/ascii.h"
#include "common/text_helpers.h"
#include "common/vb_convert.h"

namespace norvik {
namespace {

constexpr char kQuote = '"';

// An unquoted field that reads as a number comes back in its German text form, as in GetField.
std::string UnquotedField(std::string field) {
    if (auto n = ParseInvariantNumber(ReplaceText(field, ",", "."))) return DoubleToText(*n);
    return field;
}

}  // namespace

std::vector<std::string> SplitExpFields(std::string_view text, char separator) {
    std::vector<std::string> fields;
    if (text.empty()) return fields;
    std::string field;
    bool inside = false;
    bool quoted = false;
    const char stops[] = {kQuote, separator, '\0'};
    // Separator and quote are ASCII and never part of a multi-byte character, so bytes will do.
    for (size_t i = 0; i < text.size(); ++i) {
        // Plain text up to the next quote (inside quotes) or quote or separator is taken as it is.
        const size_t stop = inside ? text.find(kQuote, i) : text.find_first_of(stops, i);
        field.append(text.substr(i, stop - i));
        if (stop == std::string_view::npos) break;
        i = stop;
        if (text[i] == kQuote) {
            if (!inside) {
                inside = quoted = true;
            } else if (i + 1 < text.size() && text[i + 1] == kQuote) {
                field += kQuote;
                ++i;
            } else {
                inside = false;
            }
        } else {
            fields.push_back(quoted ? std::move(field) : UnquotedField(std::move(field)));
            field.clear();
            quoted = false;
        }
    }
    fields.push_back(quoted ? std::move(field) : UnquotedField(std::move(field)));
    return fields;
}

const std::string& ExpField(const std::vector<std::string>& fields, size_t position) {
    static const std::string kEmpty;
    return position >= 1 && position <= fields.size() ? fields[position - 1] : kEmpty;
}

std::string QuotedExpField(std::string_view value) {
    std::string out(1, kQuote);
    for (const char c : value) {
        if (c == kQuote) out += kQuote;
        out += c;
    }
    out += kQuote;
    return out;
}

std::string ExpFieldText(std::string_view value, char separator) {
    // Blanks at the ends may be trimmed with the line; a separator or quote would split or vanish.
    const bool bare =
        value.empty() || (!IsAsciiBlank(value.front()) && !IsAsciiBlank(value.back()) &&
                          value.find(separator) == std::string_view::npos &&
                          value.find(kQuote) == std::string_view::npos &&
                          UnquotedField(std::string(value)) == value);
    return bare ? std::string(value) : QuotedExpField(value);
}

std::string ProfileValueText(std::string_view value) {
    // The profile reader trims blanks and tabs and takes one pair of enclosing quotes away; a pair
    // added around the value gives back exactly what is inside, quotes and all.
    const bool enclosed = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                          value.back() == value.front();
    const bool bare = value.empty() ||
                      (!enclosed && !IsAsciiBlank(value.front()) && !IsAsciiBlank(value.back()) &&
                       value.find('\t') == std::string_view::npos);
    return bare ? std::string(value) : "\"" + std::string(value) + "\"";
}

}  // namespace norvik
