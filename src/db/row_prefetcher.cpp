#include "db/row_prefetcher.h"

#include <cstring>
#include <type_traits>
#include <utility>

#include "db/value_slot.h"

namespace norvik::db {
namespace {

// Enough rows per hand-over that the threads rarely meet, few enough that memory stays small.
constexpr size_t kBatchRows = 256;
constexpr size_t kBatches = 4;

template <typename T>
void PackPlain(std::string& out, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
T UnpackPlain(const std::string& in, size_t& at) {
    T value;
    std::memcpy(&value, in.data() + at, sizeof value);
    at += sizeof value;
    return value;
}

void PackText(std::string& out, const std::string& text) {
    PackPlain(out, text.size());
    out.append(text);
}

std::string_view UnpackText(const std::string& in, size_t& at) {
    const auto size = UnpackPlain<size_t>(in, at);
    const std::string_view text(in.data() + at, size);
    at += size;
    return text;
}

// One value: its kind, then what it holds.
void Pack(std::string& out, const Value& value) {
    out.push_back(static_cast<char>(value.index()));
    if (const auto* n = std::get_if<int64_t>(&value))
        PackPlain(out, *n);
    else if (const auto* d = std::get_if<double>(&value))
        PackPlain(out, *d);
    else if (const auto* dec = std::get_if<Decimal>(&value))
        PackText(out, dec->text);
    else if (const auto* s = std::get_if<std::string>(&value))
        PackText(out, *s);
    else if (const auto* t = std::get_if<DateTime>(&value))
        PackPlain(out, *t);
    else if (const auto* b = std::get_if<bool>(&value))
        out.push_back(*b ? 1 : 0);
}

// Reads a value back into a slot, reusing the slot's text capacity.
void Unpack(const std::string& in, size_t& at, Value& slot) {
    switch (static_cast<size_t>(in[at++])) {
        case 1:
            slot = UnpackPlain<int64_t>(in, at);
            return;
        case 2:
            slot = UnpackPlain<double>(in, at);
            return;
        case 3:
            AssignDecimal(slot, UnpackText(in, at));
            return;
        case 4:
            AssignText(slot, UnpackText(in, at));
            return;
        case 5:
            slot = UnpackPlain<DateTime>(in, at);
            return;
        case 6:
            slot = in[at++] != 0;
            return;
        default:
            slot = Null{};
            return;
    }
}

}  // namespace

RowPrefetcher::RowPrefetcher(size_t columns, Fetch fetch)
    : fetch_(std::move(fetch)), columns_(columns), batches_(kBatches) {
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
    std::vector<Value> row(columns_);
    for (;;) {
        Batch* batch = nullptr;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || !free_.empty(); });
            if (stop_) return;
            batch = free_.back();
            free_.pop_back();
        }
        Fill(*batch, row);
        // Once handed over, the batch is the caller's.
        const bool last = batch->last;
        {
            std::lock_guard lock(mutex_);
            full_.push_back(batch);
        }
        changed_.notify_all();
        if (last) return;
    }
}

void RowPrefetcher::Fill(Batch& batch, std::vector<Value>& row) {
    batch.packed.clear();
    batch.count = 0;
    batch.last = false;
    batch.error = nullptr;
    try {
        while (batch.count < kBatchRows) {
            if (!fetch_(row)) {
                batch.last = true;
                return;
            }
            for (const Value& value : row) Pack(batch.packed, value);
            ++batch.count;
            if (stop_) return;
        }
    } catch (...) {
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
    for (Value& slot : row) Unpack(current_->packed, offset_, slot);
    ++taken_;
    return true;
}

}  // namespace norvik::db
