#include "db/streaming_record_set.h"

#include <algorithm>
#include <utility>

#include "common/cp1252_case.h"
#include "common/vb_error.h"

namespace norvik::db {
namespace {

// Rows read on the caller's thread before the rest is read on another: a small result is not
// worth a thread.
constexpr int64_t kRowsBeforeFetchingAhead = 1000;

}  // namespace

void StreamingRecordSet::Start(std::vector<std::string> names, int64_t count) {
    names_ = std::move(names);
    slots_.assign(names_.size(), Value{});
    next_.assign(names_.size(), Value{});
    count_ = count;
    row_ = 0;
    ReadAhead();
    Advance();
}

void StreamingRecordSet::ReadAhead() {
    // A row that cannot be read fails when it is moved to, not one row early: the rows before it
    // are still the caller's to use.
    try {
        if (prefetcher_) {
            hasNext_ = prefetcher_->Next(next_);
        } else {
            hasNext_ = FetchRow(next_);
            if (hasNext_ && ++fetched_ == kRowsBeforeFetchingAhead && FetchesAhead())
                prefetcher_ = std::make_unique<RowPrefetcher>(
                    [this](PackedValues& out, size_t& rows, size_t most) {
                        return PackRows(out, rows, most);
                    },
                    RawReader(), [this] { FetchedAhead(); });
        }
    } catch (...) {
        pendingError_ = std::current_exception();
        hasNext_ = true;
    }
}

void StreamingRecordSet::Advance() {
    if (pendingError_) {
        hasNext_ = false;
        std::rethrow_exception(std::exchange(pendingError_, nullptr));
    }
    if (!hasNext_) {
        // The slots still hold the last row, which MoveLast brings back. A statement that
        // delivered fewer rows than counted, none at all included, has the count it delivered.
        eof_ = true;
        count_ = row_;
        return;
    }
    slots_.swap(next_);
    ++row_;
    eof_ = false;
    // A finished statement is not stepped again: SQLite would start it over.
    ReadAhead();
    // The statement may deliver more or fewer rows than were counted (another writer, a volatile
    // function); what it delivers wins, so that progress never passes 100 percent.
    if (!hasNext_)
        count_ = row_;
    else if (count_ >= 0 && count_ <= row_)
        count_ = row_ + 1;
}

void StreamingRecordSet::SetCount(int64_t count) {
    if (!hasNext_ || count_ >= 0) return;
    count_ = std::max(count, row_ + 1);
}

bool StreamingRecordSet::PackRows(PackedValues& out, size_t& rows, size_t most) {
    for (; rows < most; ++rows)
        if (!PackRow(out)) return false;
    return true;
}

bool StreamingRecordSet::PackRow(PackedValues& out) {
    packing_.resize(names_.size());
    if (!FetchRow(packing_)) return false;
    for (const Value& value : packing_) out.Add(value);
    return true;
}

int64_t StreamingRecordSet::Bookmark() const {
    if (eof_) throw VbError(kErrNoCurrentRow);
    return row_;
}

void StreamingRecordSet::MoveFirst() {
    if (closed_ || row_ == 0) return;
    if (row_ == 1) {
        eof_ = false;
        return;
    }
    StopFetchingAhead();
    Restart();
    fetched_ = 0;
    row_ = 0;
    ReadAhead();
    Advance();
}

void StreamingRecordSet::MoveNext() {
    if (eof_) throw VbError(kErrNoCurrentRow);
    Advance();
}

void StreamingRecordSet::MoveLast() {
    if (closed_) return;
    while (hasNext_) Advance();
    eof_ = row_ == 0;
}

const std::string& StreamingRecordSet::FieldName(int index) const {
    if (index < 0 || index >= FieldCount()) throw VbError(kErrUnknownColumn);
    return names_[static_cast<size_t>(index)];
}

int StreamingRecordSet::FindField(std::string_view name) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        // Names compare as the definitions spell them: without regard to case, umlauts included.
        if (EqualsIgnoreCase(names_[i], name)) return static_cast<int>(i);
    }
    return -1;
}

const Value& StreamingRecordSet::Item(int index) const {
    if (index < 0 || index >= FieldCount()) throw VbError(kErrUnknownColumn);
    if (eof_) throw VbError(kErrNoCurrentRow);
    return slots_[static_cast<size_t>(index)];
}

void StreamingRecordSet::Close() {
    if (closed_) return;
    closed_ = true;
    eof_ = true;
    hasNext_ = false;
    pendingError_ = nullptr;
    StopFetchingAhead();
    Release();
}

}  // namespace norvik::db
