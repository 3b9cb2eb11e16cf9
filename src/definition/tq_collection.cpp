#include "definition/tq_collection.h"

#include "definition/tq_model.h"

namespace norvik {

TQParameter::Item_t TQParameter::Add(Item_t item) {
    try {
        if (!item) throw VbError(kErrInvalidArgument);
        std::string key = LowerCase(item->Name);
        if (IndexOf(key) >= 0) throw VbError(kErrDuplicateKey);
        items_.push_back(item);
        keys_.push_back(std::move(key));
        return item;
    } catch (const std::exception&) {
        Messages().ShowMessage(kAddFailedMessage, 0, kButtonsOk, false);
        return nullptr;
    }
}

int32_t TQParameter::IndexOf(const std::string& lowerKey) const {
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == lowerKey) return static_cast<int32_t>(i);
    return -1;
}

const TQParameter::Item_t& TQParameter::Item(const std::string& key) const {
    const int32_t i = IndexOf(LowerCase(key));
    if (i < 0) throw VbError(kErrInvalidArgument);
    return items_[static_cast<size_t>(i)];
}

void TQParameter::Remove(int32_t index) {
    TQCollection<TQParam>::Remove(index);
    keys_.erase(keys_.begin() + (index - 1));
}

void TQParameter::Remove(const std::string& key) {
    const int32_t i = IndexOf(LowerCase(key));
    if (i < 0) throw VbError(kErrInvalidArgument);
    items_.erase(items_.begin() + i);
    keys_.erase(keys_.begin() + i);
}

}  // namespace norvik
