#include "db/odbc/odbc_record_set.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "db/db_error.h"
#include "db/odbc/odbc_timestamps.h"
#include "db/statement_cancel.h"
#include "db/statement_rewrite.h"

namespace norvik::db {
namespace {

// Buffer bytes of one block of rows and the most rows per block: few driver calls per row, yet
// memory stays bounded however many rows there are.
constexpr size_t kBlockBytes = 4 << 20;
constexpr SQLULEN kMaxBlockRows = 500;
// A column's buffer grows for long values only up to this share of a block.
constexpr size_t kMaxColumnBytes = 4 << 20;

// True when the column's buffer holds any value the driver's description allows.
bool HoldsEveryValue(const OdbcColumn& column) {
    const auto width = static_cast<SQLULEN>(column.width);
    switch (column.cType) {
        case SQL_C_CHAR:  // four bytes of UTF-8 hold any character
            return column.size > 0 && column.size <= (width - 1) / 4;
        case SQL_C_WCHAR:  // two units hold any character
            return column.size > 0 && column.size <= (width / sizeof(SQLWCHAR) - 1) / 2;
        case SQL_C_BINARY:
            return column.size > 0 && column.size <= width;
        default:  // a number, a bit or a GUID in its own size
            return true;
    }
}

// True for a column of dates or time stamps; a time of day as a struct would get today's date.
bool IsDateOrTimestamp(SQLSMALLINT type) {
    return type == SQL_TYPE_DATE || type == SQL_TYPE_TIMESTAMP || type == SQL_DATE ||
           type == SQL_TIMESTAMP;
}

}  // namespace

void OdbcRecordSet::ColumnReader::Read(size_t column, std::string_view bytes, Value& slot) const {
    const OdbcColumn& described = columns[column];
    // Only structs of a driver that fills the zero date come packed.
    if (described.cType == SQL_C_TYPE_TIMESTAMP) {
        ReadDateStructAsItsText(described, bytes.data(), slot);
        return;
    }
    if (described.cType == SQL_C_WCHAR &&
        reinterpret_cast<uintptr_t>(bytes.data()) % alignof(SQLWCHAR) != 0) {
        aligned.resize(bytes.size() / sizeof(SQLWCHAR) + 1);
        std::memcpy(aligned.data(), bytes.data(), bytes.size());
        ReadOdbcCell(described, reinterpret_cast<const char*>(aligned.data()), bytes.size(), slot);
        return;
    }
    ReadOdbcCell(described, bytes.data(), bytes.size(), slot);
}

std::unique_ptr<RecordSet> OdbcRecordSet::Open(std::shared_ptr<OdbcDatabase> db,
                                               const std::string& sql,
                                               const std::vector<Value>& params, RowCount count) {
    // Owned before anything is acquired, so that a failure on the way releases what was.
    std::unique_ptr<OdbcRecordSet> set(new OdbcRecordSet(std::move(db)));
    set->Run(sql, params, count);
    return set;
}

OdbcRecordSet::~OdbcRecordSet() {
    Close();
}

void OdbcRecordSet::Run(const std::string& sql, const std::vector<Value>& params, RowCount count) {
    // Held up to the first row only: the rows after it may be read on another thread.
    auto use = db_->Use();
    const std::string body(TrimStatementEnd(sql));
    params_.emplace(params, *db_);
    db_->BeginRead();
    reading_ = true;
    const int64_t rows = count == RowCount::Counted ? Count(body, params) : -1;

    stmt_.emplace(*db_);
    markers_ = stmt_->Prepare(body);
    CheckParameterCount(markers_, params.size());
    params_->Bind(*stmt_, 0, markers_);
    Execute();

    SQLSMALLINT columns = 0;
    stmt_->Check(SQLNumResultCols(stmt_->Get(), &columns));
    if (columns <= 0) ThrowDatabaseError("Die Anweisung liefert keine Datensätze");
    std::vector<std::string> names;
    for (SQLSMALLINT i = 1; i <= columns; ++i) {
        Buffer& buffer = buffers_.emplace_back();
        buffer.column =
            DescribeOdbcColumn(*stmt_, static_cast<SQLUSMALLINT>(i), db_->Dbms(),
                               db_->NarrowTexts() ? OdbcTextForm::kUtf8 : OdbcTextForm::kUtf16);
        // Result texts the driver passes as they are take no detour through UTF-16.
        if (buffer.column.cType == SQL_C_WCHAR && db_->Utf8ResultTexts()) {
            const auto chars =
                static_cast<SQLLEN>(buffer.column.width) / static_cast<SQLLEN>(sizeof(SQLWCHAR)) -
                1;
            buffer.column.cType = SQL_C_CHAR;
            buffer.column.width = chars * 4 + 1;
        }
        names.push_back(buffer.column.name);
    }
    // Without SQLGetData inside a block a value that does not fit its buffer could not be read in
    // full: such drivers fetch one row at a time. MariaDB holds its columns to their sizes, so its
    // driver fetches blocks when every value fits (SQLite's does not: a VARCHAR(5) takes any text).
    const bool blocks = db_->GetDataInBlocks() ||
                        (db_->Dbms() == OdbcDbms::kMariaDb &&
                         std::all_of(buffers_.begin(), buffers_.end(),
                                     [](const Buffer& b) { return HoldsEveryValue(b.column); }));
    // Dates come as structs where a value that needs its text can still be read as text: by
    // SQLGetData inside a block, or with rows one at a time; from MariaDB's driver only where it
    // fills the zero date with zeros, as any other value's text follows from its struct.
    const bool zeroDates = db_->ZeroDatesFilled();
    if (FetchesTimestampStructs(db_->Dbms()) &&
        (db_->Dbms() == OdbcDbms::kMariaDb ? zeroDates : db_->GetDataInBlocks() || !blocks))
        for (Buffer& buffer : buffers_)
            if (IsDateOrTimestamp(buffer.column.sqlType)) {
                buffer.column.cType = SQL_C_TYPE_TIMESTAMP;
                buffer.column.width = sizeof(SQL_TIMESTAMP_STRUCT);
            }
    size_t rowBytes = 0;
    for (const Buffer& buffer : buffers_)
        rowBytes += static_cast<size_t>(buffer.column.width) + sizeof(SQLLEN);
    blockRows_ =
        blocks ? std::clamp<SQLULEN>(kBlockBytes / std::max<size_t>(rowBytes, 1), 1, kMaxBlockRows)
               : 1;
    // A block that straddles the rows the driver asked the server for costs a round trip of its
    // own: blocks fill its rows evenly.
    if (const SQLULEN cursor = db_->CursorFetchRows(); cursor > 1 && blockRows_ > 1) {
        if (blockRows_ >= cursor)
            blockRows_ -= blockRows_ % cursor;
        else
            while (cursor % blockRows_ != 0) --blockRows_;
    }
    stmt_->Check(SQLSetStmtAttrW(stmt_->Get(), SQL_ATTR_ROW_ARRAY_SIZE,
                                 reinterpret_cast<SQLPOINTER>(blockRows_), 0));
    stmt_->Check(SQLSetStmtAttrW(stmt_->Get(), SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0));
    for (size_t i = 0; i < buffers_.size(); ++i) Bind(i);
    for (Buffer& buffer : buffers_) {
        const bool dateStruct = buffer.column.cType == SQL_C_TYPE_TIMESTAMP;
        buffer.packing = dateStruct && zeroDates                          ? Packing::kZeroDate
                         : dateStruct                                     ? Packing::kDriver
                         : buffer.column.kind == OdbcColumnKind::kInteger ? Packing::kInteger
                         : buffer.column.kind == OdbcColumnKind::kDouble  ? Packing::kDouble
                                                                          : Packing::kBytes;
        rawCells_.columns.push_back(buffer.column);
    }
    use.unlock();
    Start(std::move(names), rows);
}

int64_t OdbcRecordSet::Count(const std::string& body, const std::vector<Value>& params) {
    OdbcStatement count(*db_);
    // Newlines keep a trailing line comment from swallowing the closing parenthesis; the servers
    // want a name for the derived table.
    const size_t markers = count.Prepare("SELECT COUNT(*) FROM (\n" + body + "\n) AS norvik_count");
    CheckParameterCount(markers, params.size());
    params_->Bind(count, 0, markers);
    const auto waiting = WaitingStatement::Odbc(count.Get());
    count.Check(SQLExecute(count.Get()));
    int64_t rows = 0;
    SQLLEN length = 0;
    const SQLRETURN rc = SQLFetch(count.Get());
    count.Check(rc);
    if (rc != SQL_NO_DATA)
        count.Check(SQLGetData(count.Get(), 1, SQL_C_SBIGINT, &rows, sizeof rows, &length));
    count.CloseCursor();
    return rows;
}

void OdbcRecordSet::Execute() {
    {
        // A stop cancels a statement the server still works on (a sort, a lock).
        const auto waiting = WaitingStatement::Odbc(stmt_->Get());
        stmt_->Check(SQLExecute(stmt_->Get()));
    }
    fetched_ = 0;
    blockRow_ = 0;
    finished_ = false;
}

void OdbcRecordSet::Bind(size_t column) {
    Buffer& buffer = buffers_[column];
    buffer.data.assign(blockRows_ * static_cast<size_t>(buffer.column.width), 0);
    buffer.lengths.assign(blockRows_, 0);
    stmt_->Check(SQLBindCol(stmt_->Get(), static_cast<SQLUSMALLINT>(column + 1),
                            buffer.column.cType, buffer.data.data(), buffer.column.width,
                            buffer.lengths.data()));
}

bool OdbcRecordSet::FetchBlock() {
    const auto use = db_->Use();
    for (const auto& [column, width] : widen_) {
        buffers_[column].column.width = width;
        Bind(column);
    }
    widen_.clear();
    fetched_ = 0;
    blockRow_ = 0;
    for (Buffer& buffer : buffers_)
        if (buffer.packing == Packing::kZeroDate) MarkUnfetched(buffer.data.data(), blockRows_);
    substitutes_.Before();
    const SQLRETURN rc = SQLFetch(stmt_->Get());
    substitutes_.After();
    if (rc == SQL_NO_DATA || (SQL_SUCCEEDED(rc) && fetched_ == 0)) {
        finished_ = true;
        return false;
    }
    stmt_->Check(rc);
    return true;
}

void OdbcRecordSet::ReadCell(size_t column, Value& slot) {
    const Buffer& buffer = buffers_[column];
    const SQLLEN length = buffer.lengths[blockRow_];
    const size_t offset = blockRow_ * static_cast<size_t>(buffer.column.width);
    const char* data = buffer.data.data() + offset;
    if (buffer.packing == Packing::kZeroDate) {
        if (length == SQL_NULL_DATA && !IsZeroFilled(data))
            slot = Null{};
        else
            ReadDateStructAsItsText(buffer.column, data, slot);
    } else if (length == SQL_NULL_DATA) {
        slot = Null{};
    } else if (buffer.column.cType == SQL_C_TYPE_TIMESTAMP) {
        SQL_TIMESTAMP_STRUCT value;
        std::memcpy(&value, data, sizeof value);
        if (!ReadTimestampStruct(value, db_->Dbms(), substitutes_, slot))
            ReadDateAsText(column, slot);
    } else if (IsTruncated(buffer.column, length)) {
        ReadLong(column, slot);
    } else {
        ReadOdbcCell(buffer.column, data, static_cast<size_t>(length), slot);
    }
}

bool OdbcRecordSet::FetchRow(std::vector<Value>& slots) {
    if (blockRow_ >= fetched_ && (finished_ || !FetchBlock())) return false;
    for (size_t i = 0; i < slots.size(); ++i) ReadCell(i, slots[i]);
    ++blockRow_;
    return true;
}

bool OdbcRecordSet::PackRows(PackedValues& out, size_t& rows, size_t most) {
    for (; rows < most; ++rows) {
        if (blockRow_ >= fetched_ && (finished_ || !FetchBlock())) return false;
        for (size_t i = 0; i < buffers_.size(); ++i) {
            const Buffer& buffer = buffers_[i];
            const SQLLEN length = buffer.lengths[blockRow_];
            const char* data =
                buffer.data.data() + blockRow_ * static_cast<size_t>(buffer.column.width);
            // A zero date comes as a null filled with zeros.
            if (length == SQL_NULL_DATA &&
                (buffer.packing != Packing::kZeroDate || !IsZeroFilled(data))) {
                out.Null();
                continue;
            }
            switch (buffer.packing) {
                case Packing::kInteger: {
                    int64_t value;
                    std::memcpy(&value, data, sizeof value);
                    out.Integer(value);
                    break;
                }
                case Packing::kDouble: {
                    double value;
                    std::memcpy(&value, data, sizeof value);
                    out.Double(value);
                    break;
                }
                case Packing::kZeroDate:
                    out.Raw({data, sizeof(SQL_TIMESTAMP_STRUCT)});
                    break;
                case Packing::kBytes:
                    if (!IsTruncated(buffer.column, length)) {
                        out.Raw({data, static_cast<size_t>(length)});
                        break;
                    }
                    [[fallthrough]];
                case Packing::kDriver:
                    ReadCell(i, scratch_);
                    out.Add(scratch_);
                    break;
            }
        }
        ++blockRow_;
    }
    return true;
}

void OdbcRecordSet::ReadDateAsText(size_t column, Value& slot) {
    const auto use = db_->Use();
    if (blockRows_ > 1)
        stmt_->Check(SQLSetPos(stmt_->Get(), static_cast<SQLSETPOSIROW>(blockRow_ + 1),
                               SQL_POSITION, SQL_LOCK_NO_CHANGE));
    char text[128] = {};
    SQLLEN length = 0;
    stmt_->Check(SQLGetData(stmt_->Get(), static_cast<SQLUSMALLINT>(column + 1), SQL_C_CHAR, text,
                            sizeof text, &length));
    if (length == SQL_NULL_DATA) {
        slot = Null{};
        return;
    }
    OdbcColumn asText = buffers_[column].column;
    asText.cType = SQL_C_CHAR;
    const size_t size = length < 0 ? 0 : std::min(static_cast<size_t>(length), sizeof text - 1);
    ReadOdbcCell(asText, text, size, slot);
}

void OdbcRecordSet::ReadLong(size_t column, Value& slot) {
    const auto use = db_->Use();
    Buffer& buffer = buffers_[column];
    // Such a driver fetches blocks only for columns whose values all fit: it described one wrongly.
    if (blockRows_ > 1 && !db_->GetDataInBlocks())
        ThrowDatabaseError("Ein Wert der Spalte " + buffer.column.name +
                           " ist länger, als der ODBC-Treiber die Spalte beschreibt");
    if (blockRows_ > 1)
        stmt_->Check(SQLSetPos(stmt_->Get(), static_cast<SQLSETPOSIROW>(blockRow_ + 1),
                               SQL_POSITION, SQL_LOCK_NO_CHANGE));
    const size_t terminator = buffer.column.cType == SQL_C_WCHAR  ? sizeof(SQLWCHAR)
                              : buffer.column.cType == SQL_C_CHAR ? 1
                                                                  : 0;
    size_t size = 0;
    if (longBuffer_.size() < 2 * static_cast<size_t>(buffer.column.width))
        longBuffer_.resize(2 * static_cast<size_t>(buffer.column.width));
    for (;;) {
        SQLLEN length = 0;
        const size_t room = longBuffer_.size() - size;
        const SQLRETURN rc =
            SQLGetData(stmt_->Get(), static_cast<SQLUSMALLINT>(column + 1), buffer.column.cType,
                       longBuffer_.data() + size, static_cast<SQLLEN>(room), &length);
        if (rc == SQL_NO_DATA) break;
        stmt_->Check(rc);
        if (length == SQL_NULL_DATA) {
            slot = Null{};
            return;
        }
        if (length != SQL_NO_TOTAL && static_cast<size_t>(length) + terminator <= room) {
            size += static_cast<size_t>(length);
            break;
        }
        // A part: the buffer is full up to its terminator; the rest follows in the next call.
        size += room - terminator;
        const size_t rest = length == SQL_NO_TOTAL
                                ? longBuffer_.size()
                                : static_cast<size_t>(length) - (room - terminator);
        longBuffer_.resize(size + rest + terminator);
    }
    ReadOdbcCell(buffer.column, longBuffer_.data(), size, slot);
    // Values this long may come again: the next blocks take them in their buffer.
    const size_t needed = size + terminator;
    const size_t grown = std::max(needed, 2 * static_cast<size_t>(buffer.column.width));
    if (grown * blockRows_ > kMaxColumnBytes) return;
    const auto pending = std::find_if(widen_.begin(), widen_.end(),
                                      [&](const auto& w) { return w.first == column; });
    if (pending == widen_.end())
        widen_.emplace_back(column, static_cast<SQLLEN>(grown));
    else
        pending->second = std::max(pending->second, static_cast<SQLLEN>(grown));
}

void OdbcRecordSet::FetchedAhead() noexcept {
    const auto use = db_->Use();
    if (finished_) stmt_->CloseCursor();
}

void OdbcRecordSet::Restart() {
    const auto use = db_->Use();
    stmt_->CloseCursor();
    Execute();
}

void OdbcRecordSet::Release() noexcept {
    const auto use = db_->Use();
    stmt_.reset();
    if (reading_) db_->EndRead();
    reading_ = false;
}

}  // namespace norvik::db
