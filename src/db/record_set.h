#pragma once
// A forward-streaming result of one SQL statement, with the operations the export run needs.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/value.h"

namespace norvik::db {

// Whether a record set counts its rows before the first, for a progress's share, or leaves the
// count to its last row (a run nobody watches spares the server a second reading; PostgreSQL
// still counts beside the rows where it reads them by COPY, which needs that side session).
enum class RowCount { Counted, Uncounted };

class RecordSet {
  public:
    virtual ~RecordSet() = default;

    // True when there is no current row (past the last row, or no rows at all).
    virtual bool Eof() const = 0;
    // The number of rows of the statement, counted in the same read transaction; -1 while the
    // count is still being taken beside the rows or was not asked for (known at the last row at
    // the latest).
    virtual int64_t RecordCount() const = 0;
    // The 1-based number of the current row; raises 3021 when there is none.
    virtual int64_t Bookmark() const = 0;
    // Goes back to the first row (re-runs the statement in the same transaction when it has moved
    // on).
    virtual void MoveFirst() = 0;
    // Advances to the next row; at the last row it sets Eof().
    virtual void MoveNext() = 0;
    // Makes the last row current; works after the rows were streamed to the end, the last one is
    // kept.
    virtual void MoveLast() = 0;
    // Number of columns.
    virtual int FieldCount() const = 0;
    // Name of a column (0-based) as the database reports it.
    virtual const std::string& FieldName(int index) const = 0;
    // 0-based index of the column with this name, compared without regard to case; -1 when there is
    // none.
    virtual int FindField(std::string_view name) const = 0;
    // Value of a column (0-based) of the current row; raises 3021 when there is no current row.
    // The reference stays valid until the next move.
    virtual const Value& Item(int index) const = 0;
    // The values of the current row, FieldCount() of them in column order, or null without a row;
    // valid until the next move. One call per row instead of one Item call per cell.
    virtual const Value* CurrentRow() const = 0;
    // Value of the column with this name (case ignored); raises 3265 for an unknown name, 3021
    // without a row.
    const Value& Item(std::string_view name) const;
    // Ends the statement and its read transaction; further calls are harmless.
    virtual void Close() = 0;
};

}  // namespace norvik::db
