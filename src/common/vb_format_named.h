#pragma once
// The named formats ("Currency", "Long Date", "Yes/No", ...) and what they stand for in German.

#include <cstdint>
#include <string_view>

namespace norvik::vbfmt {

// A named format; kNone for a format text that is no name.
enum class Named : uint8_t {
    kNone,
    kGeneralNumber,
    kCurrency,
    kFixed,
    kStandard,
    kPercent,
    kScientific,
    kYesNo,
    kTrueFalse,
    kOnOff,
    kGeneralDate,
    kLongDate,
    kMediumDate,
    kShortDate,
    kLongTime,
    kMediumTime,
    kShortTime,
};

// A named format and, where one exists, the format codes that write it in German.
struct NamedFormat {
    Named named = Named::kNone;
    std::string_view codes;
};

// The named format a text names (letter case ignored), else kNone.
NamedFormat FindNamedFormat(std::string_view text);

// True for Yes/No, True/False and On/Off.
bool IsBooleanFormat(Named named);

// The German word of a boolean format for a zero or non-zero value ("Ja"/"Nein", ...).
std::string_view BooleanWord(Named named, bool nonZero);

}  // namespace norvik::vbfmt
