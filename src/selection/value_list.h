#pragma once
// The values a criterion offers for choice: rows of its RowSource or of a host lookup.

#include <cstddef>
#include <string>
#include <vector>

#include "db/connection.h"
#include "host/host_services.h"
#include "selection/criteria.h"

namespace norvik {

// Rows a value list reads at most, so that a lookup over a large table stays a list.
constexpr size_t kValueListCap = 1000;
// The prefix of a RowSource that names a host lookup.
inline const char* const kHostLookupPrefix = "AUSK_";

// One offered value.
struct ValueListRow {
    std::string value;    // the text to enter: the bound column's value
    std::string display;  // the other columns' texts joined by " - ", else the value
};

// The offered values of a criterion.
struct ValueList {
    std::vector<ValueListRow> rows;  // in the order of the statement
    bool truncated = false;          // more rows than were read
};

// The statement of a criterion's value list: RowSource for list kind 1, the host's lookup of the
// name after "AUSK_" for list kind 2, empty for free entry. Raises 5 when the host knows no such
// lookup.
std::string ValueListSql(const Criterion& criterion, const HostServices& services);
// Streams at most maxRows rows of the statement; the value comes from boundField (the first
// column when empty). Raises 3265 for an unknown bound column, database errors as they come.
ValueList ReadValueList(db::Connection& connection, const std::string& sql,
                        const std::string& boundField, size_t maxRows = kValueListCap);

}  // namespace norvik
