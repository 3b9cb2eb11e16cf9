#pragma once
// The SQL condition of a criterion's entry: the column and the entered values as literals only.

#include <string>

#include "common/vb_error.h"
#include "selection/criteria.h"
#include "selection/sql_dialect.h"

namespace norvik {

// A user's entry that cannot become a condition: a mistake to correct, not a failure.
class EntryError : public VbError {
  public:
    using VbError::VbError;
};

// The condition for the user's entry of one criterion, empty for a blank entry. An entry is a
// value, a range "a..b", a list "a;b;c" of values or ranges, or for text a pattern with "*" and
// "?". Raises EntryError with a German message naming the criterion for a mistaken entry: 13 for
// a value that is no date (dd.mm.yyyy) or no number (German form), 5 for an empty range end or
// list item; VbError 5 for a column that is no column name or an unknown value kind.
std::string CriterionCondition(const Criterion& criterion, const SqlDialect& dialect);

}  // namespace norvik
