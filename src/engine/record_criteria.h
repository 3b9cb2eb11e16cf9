#pragma once
// The per-record criterion of a data record: a column value compared with a text.

#include <string>

#include "common/value.h"

namespace norvik {

// True when the column value compared with the criterion text by the operator ("=", "<>", "<=",
// ">=", "<", ">") holds. Null never matches, nor does any other operator. Numbers compare as
// numbers and dates as dates when the text reads as one; otherwise the column's text compares
// case-sensitively.
bool CriterionHolds(const Value& column, const std::string& op, const std::string& criterion);

}  // namespace norvik
