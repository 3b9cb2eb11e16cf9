#pragma once
// Reads a statement's rows on a thread of its own, a few batches ahead of the caller, so that the
// database and the work on the rows run on two cores.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "common/value.h"

namespace norvik::db {

// Reads the cells a back end packed as their raw bytes (PackedValues::Raw): the conversion into
// values then runs on the caller's thread, off the reading thread that waits on the driver.
class RawCells {
  public:
    // Reads the bytes of the row's column `column` into the slot.
    virtual void Read(size_t column, std::string_view bytes, Value& slot) const = 0;

  protected:
    ~RawCells() = default;
};

// Values packed one after the other into one buffer: a kind byte (the index in Value), then what
// the value holds. Rows travel between the threads so: values that each thread's strings held
// would move between the cores' caches one by one, a buffer moves in one sweep.
class PackedValues {
  public:
    // Empties the buffer, keeping its memory.
    void Clear() { size_ = 0; }
    // Bytes written.
    size_t Size() const { return size_; }
    // Drops what was written after Size() returned `size`.
    void Truncate(size_t size) { size_ = size; }

    void Null() { *Room(1) = kNull, size_ += 1; }
    void Integer(int64_t value) { Plain(kInteger, value); }
    void Double(double value) { Plain(kDouble, value); }
    void Decimal(std::string_view text) { Text(kDecimal, text); }
    void Text(std::string_view text) { Text(kText, text); }
    void Date(const DateTime& value) { Plain(kDate, value); }
    void Bool(bool value) {
        char* p = Room(2);
        p[0] = kBool;
        p[1] = value ? 1 : 0;
        size_ += 2;
    }
    // Bytes as text of two upper-case hex digits each, as every back end writes them.
    void Binary(std::string_view bytes);
    // Any value.
    void Add(const Value& value);
    // A cell's bytes as the back end fetched them, read by its RawCells when taken.
    void Raw(std::string_view bytes) { Text(kRaw, bytes); }
    // Reads the values at `at` back into the slots, reusing their text capacity, and moves `at`
    // past them; raw cells are read by `raw`.
    void Take(size_t& at, Value* slots, size_t count, const RawCells* raw = nullptr) const;

  private:
    static constexpr char kNull = 0, kInteger = 1, kDouble = 2, kDecimal = 3, kText = 4, kDate = 5,
                          kBool = 6, kRaw = 7;

    // Room for n more bytes at the end.
    char* Room(size_t n) {
        if (capacity_ - size_ < n) Grow(n);
        return data_.get() + size_;
    }
    void Grow(size_t n);
    template <typename T>
    void Plain(char kind, const T& value) {
        char* p = Room(1 + sizeof value);
        p[0] = kind;
        std::memcpy(p + 1, &value, sizeof value);
        size_ += 1 + sizeof value;
    }
    void Text(char kind, std::string_view text) {
        const size_t length = text.size();
        char* p = Room(1 + sizeof length + length);
        p[0] = kind;
        std::memcpy(p + 1, &length, sizeof length);
        if (length > 0) std::memcpy(p + 1 + sizeof length, text.data(), length);
        size_ += 1 + sizeof length + length;
    }

    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

class RowPrefetcher {
  public:
    // Appends the values of up to `most` rows, counting each complete row in `rows`; false once the
    // statement has no more. It runs on the reading thread and may throw.
    using Fetch = std::function<bool(PackedValues&, size_t& rows, size_t most)>;

    // Runs on the reading thread once the last rows are handed over; must not throw.
    using Finished = std::function<void()>;

    // Starts reading rows through fetch; raw, when given, reads the raw cells it packs; finished,
    // when given, lets go of what reading held while the caller still works on the last rows.
    explicit RowPrefetcher(Fetch fetch, const RawCells* raw = nullptr, Finished finished = {});
    // Stops the reading thread after the row it is reading and waits for it.
    ~RowPrefetcher();
    RowPrefetcher(const RowPrefetcher&) = delete;
    RowPrefetcher& operator=(const RowPrefetcher&) = delete;

    // Reads the next row into `row`; false at the end, leaving `row` as it is. A failure to read a
    // row is raised here once the rows before it were taken.
    bool Next(std::vector<Value>& row);

  private:
    // Each thread's hot fields on cache lines of their own: the reading thread counts into the
    // batch it fills while the caller reads the one before it, and a line both wrote would travel
    // between the cores with every row.
    static constexpr size_t kCacheLine = 64;

    struct alignas(kCacheLine) Batch {
        PackedValues packed;
        size_t count = 0;
        bool last = false;  // the statement ended (or failed) after these rows
        std::exception_ptr error;
    };

    void Read();
    void Fill(Batch& batch);

    Fetch fetch_;
    const RawCells* raw_;
    Finished finished_;
    std::vector<Batch> batches_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Batch*> full_;  // in reading order
    std::vector<Batch*> free_;
    std::atomic<bool> stop_ = false;
    alignas(kCacheLine) Batch* current_ = nullptr;  // the batch the caller takes rows from
    size_t taken_ = 0;                              // rows of it taken
    size_t offset_ = 0;                             // where the next row begins in it
    bool done_ = false;                             // the last batch was taken up to its end
    alignas(kCacheLine) std::thread reader_;
};

}  // namespace norvik::db
