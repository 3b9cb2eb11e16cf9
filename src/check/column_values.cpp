#include "check/column_values.h"

#include <fmt/format.h>

#include <algorithm>

#include "check/date_format.h"
#include "check/field_splitter.h"
#include "common/utf8.h"

namespace norvik {
namespace {

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

ColumnValues::ColumnValues(const IndexTable& table, const IndexColumn& column)
    : column_(column), charset_(table.charset), epoch_(table.epoch) {
    number_.decimalSymbol = table.decimalSymbol;
    number_.groupingSymbol = table.groupingSymbol;
    number_.accuracy = column.accuracy;
    number_.implied = column.impliedAccuracy;
}

ValueOutcome ColumnValues::Check(std::string_view value, std::string* key) {
    ValueOutcome outcome;
    switch (column_.type) {
        case ColumnType::AlphaNumeric:
            outcome.empty = value.empty();
            if (column_.maxLength > 0 && CharacterCount(value, charset_) > column_.maxLength)
                outcome.code = "G506";
            else if (key && IsAscii(value))
                key->assign(value);
            else if (key)
                *key = DecodeForMessage(value, charset_);
            return outcome;
        case ColumnType::Numeric: {
            value = WithoutPadding(value);
            outcome.empty = value.empty();
            if (outcome.empty) return outcome;
            switch (CheckNumber(value, number_, &outcome.decimals, key)) {
                case NumberCheck::Ok:
                    break;
                case NumberCheck::NotANumber:
                    outcome.code = "G501";
                    break;
                case NumberCheck::TooManyDecimals:
                    outcome.code = "G502";
                    break;
                case NumberCheck::Grouping:
                    outcome.code = "G503";
                    break;
            }
            return outcome;
        }
        case ColumnType::Date:
            value = WithoutPadding(value);
            outcome.empty = value.empty();
            if (outcome.empty || !column_.format) return outcome;
            switch (CheckDate(value, *column_.format, epoch_, key)) {
                case DateCheck::Ok:
                    break;
                case DateCheck::WrongForm:
                    outcome.code = "G504";
                    break;
                case DateCheck::Impossible:
                    outcome.code = "G505";
                    break;
            }
            return outcome;
    }
    return outcome;
}

std::string ColumnValues::Describe(const ValueOutcome& outcome, std::string_view value) const {
    const std::string shown = Quoted(WithoutPadding(value));
    const std::string_view code = outcome.code;
    std::string text;
    if (code == "G501") {
        text = shown + " ist keine Zahl.";
    } else if (code == "G502") {
        if (column_.impliedAccuracy)
            text = fmt::format(
                "{} enthält ein Dezimalzeichen; laut Index stehen die {} "
                "Nachkommastellen ohne Zeichen (ImpliedAccuracy).",
                shown, column_.accuracy);
        else if (column_.accuracy == 0)
            text = fmt::format(
                "{} hat {} Nachkommastellen; laut Index ist es eine ganze Zahl "
                "(keine Accuracy angegeben).",
                shown, outcome.decimals);
        else
            text = fmt::format("{} hat {} Nachkommastellen; laut Index (Accuracy) höchstens {}.",
                               shown, outcome.decimals, column_.accuracy);
    } else if (code == "G503") {
        text = fmt::format(
            "{}: Tausendertrennzeichen „{}“ an falscher Stelle (Dezimalzeichen "
            "laut Index „{}“).",
            shown, DecodeForMessage(number_.groupingSymbol, charset_),
            DecodeForMessage(number_.decimalSymbol, charset_));
    } else if (code == "G504") {
        text = fmt::format("{} passt nicht zum Datumsformat {}.", shown, column_.format->text);
    } else if (code == "G505") {
        text = fmt::format("{} ist kein gültiges Datum bzw. keine gültige Uhrzeit.", shown);
    } else if (code == "G506") {
        text = fmt::format("Text ist {} Zeichen lang, laut Index (MaxLength) höchstens {}.",
                           CharacterCount(value, charset_), column_.maxLength);
    }
    return fmt::format("Spalte {}: {}", column_.name, text);
}

std::string ColumnValues::Quoted(std::string_view value) const {
    constexpr size_t kShown = 40;
    std::string text;
    // A line break inside a value must not break the report's line.
    for (char c : DecodeForMessage(value, charset_)) {
        if (c == '\r')
            text += "[CR]";
        else if (c == '\n')
            text += "[LF]";
        else if (static_cast<unsigned char>(c) < 0x20)
            text += fmt::format("[{:02X}]", static_cast<unsigned>(c));
        else
            text += c;
    }
    if (CharCount(text) > kShown) text = std::string(LeftChars(text, kShown)) + "…";
    return "„" + text + "“";
}

}  // namespace norvik
