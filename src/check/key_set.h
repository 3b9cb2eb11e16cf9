#pragma once
// Keys of a table, kept as 64-bit hashes in one flat open-addressing table: 8 bytes a slot, no
// node per key, so a million keys take 16 MB. Among a million keys two share a hash with a
// probability below 1 in 30 million; that would report one false duplicate or hide one
// unresolved foreign key.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace norvik {

// The 64-bit hash of a key's bytes.
uint64_t HashKey(std::string_view bytes);

// A set of key hashes.
class KeyHashSet {
  public:
    // Adds a hash; false when it was already there.
    bool Insert(uint64_t hash);
    // True when the hash is there.
    bool Contains(uint64_t hash) const;
    // Starts loading the slot of a hash looked up soon: a lookup is a random access.
    void Prefetch(uint64_t hash) const {
        if (capacity_ > 0) __builtin_prefetch(&slots_[(hash == 0 ? 1 : hash) & (capacity_ - 1)]);
    }
    // The number of hashes.
    size_t Size() const { return size_; }
    // Makes room for this many hashes at once, sparing the copies of growing step by step.
    void Reserve(size_t keys);

  private:
    struct FreeSlots {
        void operator()(uint64_t* slots) const;
    };
    void Grow();
    void GrowTo(size_t capacity);
    std::unique_ptr<uint64_t[], FreeSlots> slots_;  // 0 marks a free slot; a hash 0 is kept as 1
    size_t capacity_ = 0;                           // a power of two
    size_t size_ = 0;
};

// Builds the one text of a key of several columns from their values; the parts cannot run into
// each other.
class CompositeKey {
  public:
    // Starts a new key.
    void Clear() { bytes_.clear(); }
    // Adds the next column's value.
    void Add(std::string_view part);
    // The hash of the key built.
    uint64_t Hash() const { return HashKey(bytes_); }

  private:
    std::string bytes_;
};

}  // namespace norvik
