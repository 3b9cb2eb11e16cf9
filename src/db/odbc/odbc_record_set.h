#pragma once
// A record set streaming the rows of one statement through ODBC, in blocks of rows fetched into
// column-wise bound buffers that are reused from block to block; after the first rows the driver
// is called on a thread of its own while the caller writes.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/odbc/odbc_columns.h"
#include "db/odbc/odbc_database.h"
#include "db/odbc/odbc_params.h"
#include "db/odbc/odbc_timestamps.h"
#include "db/streaming_record_set.h"

namespace norvik::db {

class OdbcRecordSet final : public StreamingRecordSet {
  public:
    // Begins or joins the read transaction, counts the rows and runs the statement up to its first
    // row.
    static std::unique_ptr<RecordSet> Open(std::shared_ptr<OdbcDatabase> db, const std::string& sql,
                                           const std::vector<Value>& params, RowCount count);
    ~OdbcRecordSet() override;

  protected:
    bool FetchRow(std::vector<Value>& slots) override;
    // Packs what the driver fetched as it is: only cells that need the driver again are read on
    // the reading thread, the rest on the caller's.
    bool PackRows(PackedValues& out, size_t& rows, size_t most) override;
    bool FetchesAhead() const override { return true; }
    const RawCells* RawReader() const override { return &rawCells_; }
    // Closes the cursor: a driver that holds the whole result frees it beside the caller's work.
    void FetchedAhead() noexcept override;
    void Restart() override;
    void Release() noexcept override;

  private:
    // How the reading thread passes a column's cells on.
    enum class Packing : unsigned char {
        kInteger,   // as the integer value
        kDouble,    // as the double value
        kBytes,     // as fetched, read by the caller's thread; read again when too long
        kZeroDate,  // a struct whose driver fills the zero date with zeros, read by the caller
        kDriver,    // a time stamp read here, against the dates noted around its fetch
    };

    // One column's buffers for a block of rows.
    struct Buffer {
        OdbcColumn column;
        std::vector<char> data;
        std::vector<SQLLEN> lengths;
        Packing packing = Packing::kBytes;
    };

    // The columns as the caller's thread reads them; widening a buffer changes none of what it
    // reads.
    struct ColumnReader final : RawCells {
        std::vector<OdbcColumn> columns;
        mutable std::vector<SQLWCHAR> aligned;  // packed UTF-16 lies at any byte
        void Read(size_t column, std::string_view bytes, Value& slot) const override;
    };

    explicit OdbcRecordSet(std::shared_ptr<OdbcDatabase> db) : db_(std::move(db)) {}
    void Run(const std::string& sql, const std::vector<Value>& params, RowCount count);
    int64_t Count(const std::string& body, const std::vector<Value>& params);
    void Execute();
    void Bind(size_t column);
    bool FetchBlock();
    // Reads the cell of the block's current row.
    void ReadCell(size_t column, Value& slot);
    // The whole value of a cell that did not fit its buffer, read by SQLGetData.
    void ReadLong(size_t column, Value& slot);
    // A date cell fetched as a struct, read again as the driver's text.
    void ReadDateAsText(size_t column, Value& slot);

    std::shared_ptr<OdbcDatabase> db_;
    bool reading_ = false;  // holds a share of the read transaction
    std::optional<OdbcParams> params_;
    std::optional<OdbcStatement> stmt_;
    size_t markers_ = 0;
    std::vector<Buffer> buffers_;
    SQLULEN blockRows_ = 1;
    SQLULEN fetched_ = 0;    // rows in the current block
    SQLULEN blockRow_ = 0;   // next row of the block to read
    bool finished_ = false;  // the statement reported its end
    // Columns whose buffer grows before the next block, with their new width.
    std::vector<std::pair<size_t, SQLLEN>> widen_;
    std::vector<char> longBuffer_;
    SubstituteDates substitutes_;  // noted around the last fetch
    ColumnReader rawCells_;
    Value scratch_;  // the reading thread's value for the cells it reads itself
};

}  // namespace norvik::db
