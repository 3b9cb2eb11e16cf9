#pragma once
// The record set semantics both back ends share: row numbers, moving, the kept last row, column
// lookup.

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "db/record_set.h"
#include "db/row_prefetcher.h"

namespace norvik::db {

class StreamingRecordSet : public RecordSet {
  public:
    bool Eof() const override { return eof_; }
    // The count taken for the statement, corrected by the rows it actually delivers; -1 until it
    // is known.
    int64_t RecordCount() const override { return count_; }
    int64_t Bookmark() const override;
    void MoveFirst() override;
    void MoveNext() override;
    void MoveLast() override;
    int FieldCount() const override { return static_cast<int>(names_.size()); }
    const std::string& FieldName(int index) const override;
    int FindField(std::string_view name) const override;
    const Value& Item(int index) const override;
    const Value* CurrentRow() const override { return eof_ ? nullptr : slots_.data(); }
    using RecordSet::Item;
    void Close() override;

  protected:
    // Reads the next row into the slots; at the end returns false and leaves the slots as they are.
    // With FetchesAhead it runs on a thread of its own.
    virtual bool FetchRow(std::vector<Value>& slots) = 0;
    // Appends the values of up to `most` rows to `out` as FetchRow would read them, counting each
    // in `rows`; false at the end. The reading thread calls it.
    virtual bool PackRows(PackedValues& out, size_t& rows, size_t most);
    // One row of PackRows.
    virtual bool PackRow(PackedValues& out);
    // True when FetchRow may run on another thread while the caller works on earlier rows; it then
    // guards the connection against the caller's other statements itself.
    virtual bool FetchesAhead() const { return false; }
    // What reads the raw cells PackRows packs, on the caller's thread; none by default.
    virtual const RawCells* RawReader() const { return nullptr; }
    // Lets go of what the statement holds once the reading thread has handed over its last row,
    // while the caller still works on the rows before; on that thread, must not throw.
    virtual void FetchedAhead() noexcept {}
    // Runs the statement again in the same read transaction, so that FetchRow yields the first row
    // next.
    virtual void Restart() = 0;
    // Ends the statement and its share of the read transaction; runs once and must not throw.
    virtual void Release() noexcept = 0;
    // Completes the opening once the statement runs: column names, row count (-1 when it comes
    // later), then the first row.
    void Start(std::vector<std::string> names, int64_t count);
    // The row count, taken while the rows stream.
    void SetCount(int64_t count);

  private:
    void Advance();
    void ReadAhead();
    // Ends reading on the other thread before the statement is restarted or released.
    void StopFetchingAhead() noexcept { prefetcher_.reset(); }

    std::vector<std::string> names_;
    std::vector<Value> slots_;
    // The row after the current one, read ahead so that the count is exact at the last row.
    std::vector<Value> next_;
    bool hasNext_ = false;             // false once the statement reported its end
    std::exception_ptr pendingError_;  // the failure reading the next row
    int64_t count_ = 0;
    int64_t row_ = 0;  // number of the row in the slots, counted since the statement (re)started
    bool eof_ = true;
    bool closed_ = false;
    int64_t fetched_ = 0;  // rows read on this thread since the statement (re)started
    std::unique_ptr<RowPrefetcher> prefetcher_;
    std::vector<Value> packing_;  // the reading thread's row for PackRow
};

}  // namespace norvik::db
