#pragma once
// The 1-based collections of the definition model: records, fields, selections, parameters.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/text_codec.h"
#include "common/vb_error.h"

namespace norvik {

// The message for an item a collection refused.
inline const char* const kAddFailedMessage = "Fehler beim hinzufügen eines Elementes!";

// An ordered list of shared items, 1-based, in the order of adding.
template <typename T>
class TQCollection {
  public:
    using Item_t = std::shared_ptr<T>;

    // Appends the item and returns it.
    Item_t Add(Item_t item) {
        items_.push_back(item);
        return item;
    }
    // The item at a 1-based position; raises 9 when out of range.
    const Item_t& Item(int32_t index) const {
        if (index < 1 || index > Count()) throw VbError(kErrOutOfRange);
        return items_[static_cast<size_t>(index - 1)];
    }
    // Number of items.
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // Removes the item at a 1-based position; raises 9 when out of range.
    void Remove(int32_t index) {
        Item(index);
        items_.erase(items_.begin() + (index - 1));
    }
    // Iteration in the order of adding ("for each").
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  protected:
    std::vector<Item_t> items_;
};

// A collection whose items are also found by a text key (letter case ignored): the key an item
// had when it was added, as KeyOf gives it (const std::string& operator()(const T&)).
template <typename T, typename KeyOf>
class TQKeyedCollection : public TQCollection<T> {
  public:
    using Item_t = typename TQCollection<T>::Item_t;

    // Appends the item under its key and returns it; a null item or a key already present is
    // refused: nothing is added and null comes back, for the caller to tell the user.
    Item_t Add(Item_t item) {
        if (!item) return nullptr;
        const auto [key, added] = index_.try_emplace(LowerCase(KeyOf()(*item)), Items().size());
        if (!added) return nullptr;
        try {
            Items().push_back(item);
        } catch (...) {
            index_.erase(key);
            throw;
        }
        return item;
    }
    using TQCollection<T>::Item;
    // The item with this key (case ignored); raises 5 for an unknown key.
    const Item_t& Item(const std::string& key) const {
        const auto it = index_.find(LowerCase(key));
        if (it == index_.end()) throw VbError(kErrInvalidArgument);
        return this->items_[it->second];
    }
    // Removes the item at a 1-based position; raises 9 when out of range.
    void Remove(int32_t index) {
        TQCollection<T>::Item(index);
        // The key is the one of the time of adding, so it is looked up by position.
        const size_t position = static_cast<size_t>(index - 1);
        for (auto it = index_.cbegin(); it != index_.cend(); ++it)
            if (it->second == position) return Erase(it);
    }
    // Removes the item with this key; raises 5 for an unknown key.
    void Remove(const std::string& key) {
        const auto it = index_.find(LowerCase(key));
        if (it == index_.end()) throw VbError(kErrInvalidArgument);
        Erase(it);
    }

  private:
    using Index = std::unordered_map<std::string, size_t>;

    std::vector<Item_t>& Items() { return this->items_; }
    void Erase(typename Index::const_iterator key) {
        const size_t position = key->second;
        index_.erase(key);
        Items().erase(Items().begin() + static_cast<std::ptrdiff_t>(position));
        // The items behind the removed one move up by one.
        for (auto& [k, p] : index_)
            if (p > position) --p;
    }

    // The key (lower case) of each item to its 0-based position; a lookup does not walk the items.
    Index index_;
};

struct TQRecord;
struct TQField;
struct TQSelection;
struct TQParam;

using TQRecords = TQCollection<TQRecord>;
using TQFields = TQCollection<TQField>;
using TQSelections = TQCollection<TQSelection>;

// The key of a parameter: its name.
struct TQParamName {
    const std::string& operator()(const TQParam& param) const;
};
// Parameters, also keyed by the name they had when added (letter case ignored).
using TQParameter = TQKeyedCollection<TQParam, TQParamName>;

}  // namespace norvik
