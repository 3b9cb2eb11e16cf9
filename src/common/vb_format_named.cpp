#include "common/vb_format_named.h"

#include <array>

#include "common/ascii.h"

namespace norvik::vbfmt {
namespace {

struct Entry {
    std::string_view name;
    Named named;
    std::string_view codes;
};

// German locale: currency "1.234,50 €", long date "dddd, d. MMMM yyyy", no AM/PM designators.
constexpr std::array<Entry, 16> kEntries = {{
    {"general number", Named::kGeneralNumber, ""},
    {"currency", Named::kCurrency, "#,##0.00 \xE2\x82\xAC"},
    {"fixed", Named::kFixed, "0.00"},
    {"standard", Named::kStandard, "#,##0.00"},
    {"percent", Named::kPercent, "0.00%"},
    {"scientific", Named::kScientific, "0.00E+00"},
    {"yes/no", Named::kYesNo, ""},
    {"true/false", Named::kTrueFalse, ""},
    {"on/off", Named::kOnOff, ""},
    {"general date", Named::kGeneralDate, "c"},
    {"long date", Named::kLongDate, "dddddd"},
    {"medium date", Named::kMediumDate, "dd. mmm yy"},
    {"short date", Named::kShortDate, "ddddd"},
    {"long time", Named::kLongTime, "ttttt"},
    {"medium time", Named::kMediumTime, "hh:nn AMPM"},
    {"short time", Named::kShortTime, "hh:nn"},
}};

}  // namespace

NamedFormat FindNamedFormat(std::string_view text) {
    for (const Entry& e : kEntries) {
        if (AsciiEqualsIgnoreCase(text, e.name)) return {e.named, e.codes};
    }
    return {};
}

bool IsBooleanFormat(Named named) {
    return named == Named::kYesNo || named == Named::kTrueFalse || named == Named::kOnOff;
}

std::string_view BooleanWord(Named named, bool nonZero) {
    switch (named) {
        case Named::kYesNo:
            return nonZero ? "Ja" : "Nein";
        case Named::kTrueFalse:
            return nonZero ? "Wahr" : "Falsch";
        case Named::kOnOff:
            return nonZero ? "Ein" : "Aus";
        default:
            return {};
    }
}

}  // namespace norvik::vbfmt
