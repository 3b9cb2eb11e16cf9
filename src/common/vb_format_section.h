#pragma once
// One section of a parsed format text: what it formats and the steps that write it.

#include <cstdint>
#include <string>
#include <vector>

namespace norvik::vbfmt {

// What a section formats; decided by its first code.
enum class Kind : uint8_t { kEmpty, kLiteral, kNumber, kDate, kText };

// One step of a section.
enum class Op : uint8_t {
    kLiteral,  // text from the section's literal pool
    // numbers
    kIntDigit,   // 0 or # left of the decimal point
    kFracDigit,  // 0 or # right of it
    kPoint,      // the decimal point
    kExponent,   // E+ E- e+ e- and the exponent digits
    kPercent,    // %
    // dates and times, named after their codes
    // clang-format off
    kDay, kDay2, kDayAbbr, kDayName, kShortDate, kLongDate,  // d dd ddd dddd ddddd dddddd
    kWeekday, kWeek,                                          // w ww
    kMonth, kMonth2, kMonthAbbr, kMonthName,                  // m mm mmm mmmm
    kQuarter, kDayOfYear, kYear2, kYear4,                     // q y yy yyyy
    kHour, kHour2, kMinute, kMinute2, kSecond, kSecond2,      // h hh n nn (or m mm after h) s ss
    kLongTime, kGeneralDate,                                  // ttttt c
    // clang-format on
    kAmPm,        // AM/PM, am/pm, A/P, a/p: the two halves as written, from the pool
    kAmPmLocale,  // AMPM: the locale's designators (none in German)
    kDateSep,     // /
    kTimeSep,     // :
    // text
    kCharOrSpace,    // @
    kCharOrNothing,  // &
};

// A step and where its text lies in the pool (literals; for kAmPm the AM half, then the PM half).
struct Item {
    Op op = Op::kLiteral;
    uint32_t offset = 0;
    uint32_t length = 0;
};

// The shape of a number section, counted once when it is parsed.
struct NumberLayout {
    int intDigits = 0;          // placeholders left of the point
    int intMinDigits = 0;       // digits always shown left of the point (from the first 0)
    int fracDigits = 0;         // placeholders right of the point
    int fracMinDigits = 0;      // decimals always shown (up to the last 0)
    int shift = 0;              // power of ten from % (+2 each) and scaling commas (-3 each)
    bool grouping = false;      // thousands separators between digits
    bool exponent = false;      // scientific notation
    bool exponentPlus = false;  // E+: sign always shown
    int exponentMinDigits = 0;  // exponent digits always shown (its 0s)
};

// Letter case forced on a text by < or >.
enum class TextCase : uint8_t { kKeep, kLower, kUpper };

// A section ready to apply; the fields after items and pool concern one kind each.
struct Section {
    Kind kind = Kind::kEmpty;             // what it formats
    std::vector<Item> items;              // its steps in order
    std::string pool;                     // the literal text the steps point into
    NumberLayout number;                  // a number section's shape
    bool twelveHour = false;              // a date section with an AM/PM code
    TextCase textCase = TextCase::kKeep;  // < or > of a text or date section
    bool leftToRight = false;             // a text section with !
    int placeholders = 0;                 // @ and & of a text section
};

}  // namespace norvik::vbfmt
