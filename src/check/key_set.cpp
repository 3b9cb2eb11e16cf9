#include "check/key_set.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace norvik {
namespace {

constexpr uint64_t kMultiplier = 0xc6a4a7935bd1e995ULL;
constexpr size_t kFirstCapacity = 1024;
constexpr size_t kHugePage = 2 << 20;

uint64_t Mix(uint64_t k) {
    k *= kMultiplier;
    k ^= k >> 47;
    return k * kMultiplier;
}

// Slots hold at most this share of keys before the table doubles (7 in 10).
bool TooFull(size_t size, size_t slots) {
    return size * 10 >= slots * 7;
}

}  // namespace

// MurmurHash64A's shape: eight bytes at a time, mixed, then a final avalanche.
uint64_t HashKey(std::string_view bytes) {
    uint64_t h = 0x9E3779B97F4A7C15ULL ^ (bytes.size() * kMultiplier);
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t k;
        std::memcpy(&k, bytes.data() + i, 8);
        h = (h ^ Mix(k)) * kMultiplier;
    }
    uint64_t tail = 0;
    for (size_t j = bytes.size(); j > i; --j)
        tail = (tail << 8) | static_cast<unsigned char>(bytes[j - 1]);
    h = (h ^ tail) * kMultiplier;
    h ^= h >> 47;
    h *= kMultiplier;
    return h ^ (h >> 47);
}

bool KeyHashSet::Insert(uint64_t hash) {
    if (hash == 0) hash = 1;
    if (capacity_ == 0 || TooFull(size_ + 1, capacity_)) Grow();
    const size_t mask = capacity_ - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        if (slots_[i] == hash) return false;
        if (slots_[i] == 0) {
            slots_[i] = hash;
            ++size_;
            return true;
        }
    }
}

bool KeyHashSet::Contains(uint64_t hash) const {
    if (hash == 0) hash = 1;
    if (capacity_ == 0) return false;
    const size_t mask = capacity_ - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        if (slots_[i] == hash) return true;
        if (slots_[i] == 0) return false;
    }
}

void KeyHashSet::FreeSlots::operator()(uint64_t* slots) const {
    std::free(slots);
}

void KeyHashSet::Reserve(size_t keys) {
    size_t capacity = std::max(capacity_, kFirstCapacity);
    while (TooFull(keys, capacity)) capacity *= 2;
    if (capacity > capacity_) GrowTo(capacity);
}

void KeyHashSet::Grow() {
    GrowTo(capacity_ == 0 ? kFirstCapacity : capacity_ * 2);
}

void KeyHashSet::GrowTo(size_t capacity) {
    const size_t bytes = capacity * sizeof(uint64_t);
    // Large tables in huge pages: a lookup is a random access, and a missed page translation
    // costs more than the lookup itself.
    void* memory = bytes >= kHugePage ? std::aligned_alloc(kHugePage, bytes) : std::malloc(bytes);
    if (!memory) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    if (bytes >= kHugePage) ::madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    std::memset(memory, 0, bytes);
    std::unique_ptr<uint64_t[], FreeSlots> old(static_cast<uint64_t*>(memory));
    old.swap(slots_);
    const size_t oldCapacity = capacity_;
    capacity_ = capacity;
    const size_t mask = capacity_ - 1;
    for (size_t k = 0; k < oldCapacity; ++k) {
        const uint64_t hash = old[k];
        if (hash == 0) continue;
        size_t i = hash & mask;
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = hash;
    }
}

void CompositeKey::Add(std::string_view part) {
    // The length first, so that ("ab", "c") and ("a", "bc") differ.
    const uint32_t length = static_cast<uint32_t>(part.size());
    bytes_.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes_.append(part);
}

}  // namespace norvik
