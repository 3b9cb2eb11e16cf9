#pragma once
// The 1-based collections of the definition model: records, fields, selections, parameters.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/text_codec.h"
#include "common/vb_error.h"
#include "host/host_messages.h"

namespace norvik {

// The message shown when an item cannot be added.
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

struct TQRecord;
struct TQField;
struct TQSelection;
struct TQParam;

using TQRecords = TQCollection<TQRecord>;
using TQFields = TQCollection<TQField>;
using TQSelections = TQCollection<TQSelection>;

// Parameters, also keyed by the name they had when added (letter case ignored).
class TQParameter : public TQCollection<TQParam> {
  public:
    // Appends the parameter under its name; a name already present shows a message and returns
    // null.
    Item_t Add(Item_t item);
    using TQCollection<TQParam>::Item;
    // The parameter with this key (case ignored); raises 5 for an unknown key.
    const Item_t& Item(const std::string& key) const;
    // Removes the parameter at a 1-based position; raises 9 when out of range.
    void Remove(int32_t index);
    // Removes the parameter with this key; raises 5 for an unknown key.
    void Remove(const std::string& key);

  private:
    int32_t IndexOf(const std::string& lowerKey) const;
    void Erase(std::unordered_map<std::string, size_t>::const_iterator key);

    // The key (lower case) of each item to its 0-based position; a lookup does not walk the items.
    std::unordered_map<std::string, size_t> index_;
};

}  // namespace norvik
