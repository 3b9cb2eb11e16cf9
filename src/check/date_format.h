#pragma once
// A date Format of Index.xml (DD.MM.YYYY, YYYYMMDD, DD.MM.YY hh:mm:ss …): parsed once, then
// applied to every value of its column.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvik {

// The parsed Format: placeholders and the separators between them.
struct DateFormat {
    enum class Part : unsigned char { Day, Month, Year4, Year2, Hour, Minute, Second, Literal };
    struct Token {
        Part part;
        char literal;  // the separator of a Literal
    };
    std::vector<Token> tokens;  // in order
    std::string text;           // as declared, for messages
};

// What a value is against a format.
enum class DateCheck { Ok, WrongForm, Impossible };

// The format of DD, MM, YYYY, YY, hh, mm, ss and ASCII separators; nullopt for any other letter
// or character, which is then named in unknown.
std::optional<DateFormat> ParseDateFormat(std::string_view text, std::string* unknown = nullptr);
// The standard's format when a Date names none.
const DateFormat& DefaultDateFormat();
// Checks a value (digits exactly as many as the placeholder has); on Ok, key (when given) gets
// the date as "YYYYMMDDhhmmss", two-digit years placed by the Epoch window (below it 20xx).
DateCheck CheckDate(std::string_view value, const DateFormat& format, int epoch,
                    std::string* key = nullptr);

}  // namespace norvik
