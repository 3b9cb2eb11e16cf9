#include "db/streaming_record_set.h"

#include "common/vb_error.h"
#include "db/field_names.h"

namespace norvik::db {

void StreamingRecordSet::Start(std::vector<std::string> names, int64_t count) {
    names_ = std::move(names);
    slots_.assign(names_.size(), Value{});
    count_ = count;
    row_ = 0;
    exhausted_ = false;
    Advance();
}

void StreamingRecordSet::Advance() {
    // A finished statement is not stepped again: SQLite would start it over.
    if (!exhausted_ && FetchRow(slots_)) {
        ++row_;
        eof_ = false;
    } else {
        // The slots still hold the last row, which MoveLast brings back.
        exhausted_ = true;
        eof_ = true;
    }
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
    Restart();
    row_ = 0;
    exhausted_ = false;
    Advance();
}

void StreamingRecordSet::MoveNext() {
    if (eof_) throw VbError(kErrNoCurrentRow);
    Advance();
}

void StreamingRecordSet::MoveLast() {
    if (closed_) return;
    while (!exhausted_) Advance();
    eof_ = row_ == 0;
}

const std::string& StreamingRecordSet::FieldName(int index) const {
    if (index < 0 || index >= FieldCount()) throw VbError(kErrUnknownColumn);
    return names_[static_cast<size_t>(index)];
}

int StreamingRecordSet::FindField(std::string_view name) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (SameFieldName(names_[i], name)) return static_cast<int>(i);
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
    exhausted_ = true;
    Release();
}

}  // namespace norvik::db
