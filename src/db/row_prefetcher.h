#pragma once
// Reads a statement's rows on a thread of its own, a few batches ahead of the caller, so that the
// database and the work on the rows run on two cores.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/value.h"

namespace norvik::db {

class RowPrefetcher {
  public:
    // Fills a row's slots; false at the end. It runs on the reading thread and may throw.
    using Fetch = std::function<bool(std::vector<Value>&)>;

    // Starts reading rows of `columns` values through fetch.
    RowPrefetcher(size_t columns, Fetch fetch);
    // Stops the reading thread after the row it is reading and waits for it.
    ~RowPrefetcher();
    RowPrefetcher(const RowPrefetcher&) = delete;
    RowPrefetcher& operator=(const RowPrefetcher&) = delete;

    // Reads the next row into `row`; false at the end, leaving `row` as it is. A failure to read a
    // row is raised here once the rows before it were taken.
    bool Next(std::vector<Value>& row);

  private:
    // Rows travel packed into one buffer: values that each thread's strings held would move
    // between the cores' caches one by one, a buffer moves in one sweep.
    struct Batch {
        std::string packed;
        size_t count = 0;
        bool last = false;  // the statement ended (or failed) after these rows
        std::exception_ptr error;
    };

    void Read();
    // Fills one batch through a row of the reading thread's own.
    void Fill(Batch& batch, std::vector<Value>& row);

    Fetch fetch_;
    size_t columns_;
    std::vector<Batch> batches_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Batch*> full_;  // in reading order
    std::vector<Batch*> free_;
    std::atomic<bool> stop_ = false;
    Batch* current_ = nullptr;  // the batch the caller takes rows from
    size_t taken_ = 0;          // rows of it taken
    size_t offset_ = 0;         // where the next row begins in it
    bool done_ = false;         // the last batch was taken up to its end
    std::thread reader_;
};

}  // namespace norvik::db
