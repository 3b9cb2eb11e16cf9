#include "db/row_prefetcher.h"

#include <pthread.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/digit_text.h"
#include "db/value_slot.h"

namespace norvik::db {
namespace {

// Enough rows per hand-over that the threads rarely meet, few enough that memory stays small:
// rows are asked for a chunk at a time, and a batch takes no further chunk once its bytes reach
// kBatchBytes, so that long rows make short batches.
constexpr size_t kChunkRows = 256;
constexpr size_t kBatchRows = 1024;
constexpr size_t kBatchBytes = 256 * 1024;
constexpr size_t kBatches = 4;

}  // namespace

void PackedValues::Grow(size_t n) {
    const size_t capacity = std::max(size_ + n, 2 * capacity_ + 4096);
    auto data = std::make_unique<char[]>(capacity);
    if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    capacity_ = capacity;
}

void PackedValues::Binary(std::string_view bytes) {
    const size_t length = bytes.size() * 2;
    char* p = Room(1 + sizeof length + length);
    p[0] = kText;
    std::memcpy(p + 1, &length, sizeof length);
    WriteUpperHex(bytes, p + 1 + sizeof length);
    size_ += 1 + sizeof length + length;
}

void PackedValues::Add(const Value& value) {
    if (const auto* n = std::get_if<int64_t>(&value))
        Integer(*n);
    else if (const auto* d = std::get_if<double>(&value))
        Double(*d);
    else if (const auto* dec = std::get_if<norvik::Decimal>(&value))
        Decimal(dec->text);
    else if (const auto* s = std::get_if<std::string>(&value))
        Text(*s);
    else if (const auto* t = std::get_if<DateTime>(&value))
        Date(*t);
    else if (const auto* b = std::get_if<bool>(&value))
        Bool(*b);
    else
        Null();
}

void PackedValues::Take(size_t& at, Value* slots, size_t count, const RawCells* raw) const {
    const char* p = data_.get() + at;
    for (size_t i = 0; i < count; ++i) {
        Value& slot = slots[i];
        const char kind = *p++;
        if (kind == kText || kind == kDecimal || kind == kRaw) {
            size_t length;
            std::memcpy(&length, p, sizeof length);
            p += sizeof length;
            if (kind == kText)
                AssignText(slot, {p, length});
            else if (kind == kDecimal)
                AssignDecimal(slot, {p, length});
            else
                raw->Read(i, {p, length}, slot);
            p += length;
        } else if (kind == kInteger) {
            int64_t value;
            std::memcpy(&value, p, sizeof value);
            p += sizeof value;
            slot = value;
        } else if (kind == kDate) {
            DateTime value;
            std::memcpy(&value, p, sizeof value);
            p += sizeof value;
            slot = value;
        } else if (kind == kDouble) {
            double value;
            std::memcpy(&value, p, sizeof value);
            p += sizeof value;
            slot = value;
        } else if (kind == kBool) {
            slot = *p++ != 0;
        } else {
            slot = norvik::Null{};
        }
    }
    at = static_cast<size_t>(p - data_.get());
}

RowPrefetcher::RowPrefetcher(Fetch fetch, const RawCells* raw, Finished finished)
    : fetch_(std::move(fetch)), raw_(raw), finished_(std::move(finished)), batches_(kBatches) {
    for (Batch& batch : batches_) free_.push_back(&batch);
    reader_ = std::thread([this] { Read(); });
}

RowPrefetcher::~RowPrefetcher() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    reader_.join();
}

void RowPrefetcher::Read() {
    // Named for profiles and debuggers, which show the two threads of an export apart.
    pthread_setname_np(pthread_self(), "norvik-read");
    for (;;) {
        Batch* batch = nullptr;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || !free_.empty(); });
            if (stop_) return;
            batch = free_.back();
            free_.pop_back();
        }
        Fill(*batch);
        // Once handed over, the batch is the caller's.
        const bool last = batch->last;
        {
            std::lock_guard lock(mutex_);
            full_.push_back(batch);
        }
        changed_.notify_all();
        if (last) {
            if (finished_) finished_();
            return;
        }
    }
}

void RowPrefetcher::Fill(Batch& batch) {
    batch.packed.Clear();
    batch.count = 0;
    batch.last = false;
    batch.error = nullptr;
    try {
        size_t most = 0;
        do {
            most += kChunkRows;
            batch.last = !fetch_(batch.packed, batch.count, most);
        } while (!batch.last && most < kBatchRows && batch.packed.Size() < kBatchBytes);
    } catch (...) {
        // The rows counted before the failure are the caller's.
        batch.error = std::current_exception();
        batch.last = true;
    }
}

bool RowPrefetcher::Next(std::vector<Value>& row) {
    while (!current_ || taken_ == current_->count) {
        if (done_) return false;
        if (current_ && current_->last) {
            done_ = true;
            if (current_->error) std::rethrow_exception(std::exchange(current_->error, nullptr));
            return false;
        }
        std::unique_lock lock(mutex_);
        if (current_) free_.push_back(std::exchange(current_, nullptr));
        changed_.notify_all();
        changed_.wait(lock, [this] { return !full_.empty(); });
        current_ = full_.front();
        full_.erase(full_.begin());
        taken_ = 0;
        offset_ = 0;
    }
    current_->packed.Take(offset_, row.data(), row.size(), raw_);
    ++taken_;
    return true;
}

}  // namespace norvik::db
