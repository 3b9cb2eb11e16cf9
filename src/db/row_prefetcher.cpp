#include "db/row_prefetcher.h"

#include <algorithm>
#include <utility>

namespace norvik::db {
namespace {

// Enough rows per hand-over that the threads rarely meet, few enough that memory stays small.
constexpr size_t kBatchRows = 256;
constexpr size_t kBatches = 4;

}  // namespace

RowPrefetcher::RowPrefetcher(size_t columns, Fetch fetch)
    : fetch_(std::move(fetch)), batches_(kBatches) {
    for (Batch& batch : batches_) {
        batch.rows.assign(kBatchRows, std::vector<Value>(columns));
        free_.push_back(&batch);
    }
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
        {
            std::lock_guard lock(mutex_);
            full_.push_back(batch);
        }
        changed_.notify_all();
        if (batch->last) return;
    }
}

void RowPrefetcher::Fill(Batch& batch) {
    batch.count = 0;
    batch.last = false;
    batch.error = nullptr;
    try {
        while (batch.count < batch.rows.size()) {
            if (!fetch_(batch.rows[batch.count])) {
                batch.last = true;
                return;
            }
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
    }
    row.swap(current_->rows[taken_++]);
    return true;
}

}  // namespace norvik::db
