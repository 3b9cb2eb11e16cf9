#pragma once
// The values of one column checked against its declaration: numbers, dates, text lengths, and the
// form in which keys are compared between tables.

#include <string>
#include <string_view>

#include "check/index_model.h"
#include "check/number_check.h"

namespace norvik {

// What one value is.
struct ValueOutcome {
    const char* code = nullptr;  // the finding's code (G501-G506); null when the value is fine
    int decimals = 0;            // decimals written, for G502
    bool empty = false;          // no value (blanks around a number or date do not count)
};

class ColumnValues {
  public:
    ColumnValues(const IndexTable& table, const IndexColumn& column);
    // Checks a value; when key is given and the value is fine, it gets the value's comparable
    // form (numbers and dates normalised, text as UTF-8).
    ValueOutcome Check(std::string_view value, std::string* key);
    // The German message for a value with a problem, naming the column.
    std::string Describe(const ValueOutcome& outcome, std::string_view value) const;
    // A value as a message quotes it: decoded, shortened to 40 characters.
    std::string Quoted(std::string_view value) const;

  private:
    const IndexColumn& column_;
    CharacterSet charset_;
    int epoch_;
    NumberFormat number_;
};

}  // namespace norvik
