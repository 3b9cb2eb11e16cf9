#include "definition/tq_collection.h"

#include "definition/tq_model.h"

namespace norvik {

TQParameter::Item_t TQParameter::Add(Item_t item) {
    try {
        if (!item) throw VbError(kErrInvalidArgument);
        const auto [key, added] = index_.try_emplace(LowerCase(item->Name), items_.size());
        if (!added) throw VbError(kErrDuplicateKey);
        try {
            items_.push_back(item);
        } catch (...) {
            index_.erase(key);
            throw;
        }
        return item;
    } catch (const std::exception&) {
        Messages().ShowMessage(kAddFailedMessage, 0, kButtonsOk, false);
        return nullptr;
    }
}

int32_t TQParameter::IndexOf(const std::string& lowerKey) const {
    const auto it = index_.find(lowerKey);
    return it == index_.end() ? -1 : static_cast<int32_t>(it->second);
}

const TQParameter::Item_t& TQParameter::Item(const std::string& key) const {
    const int32_t i = IndexOf(LowerCase(key));
    if (i < 0) throw VbError(kErrInvalidArgument);
    return items_[static_cast<size_t>(i)];
}

void TQParameter::Erase(std::unordered_map<std::string, size_t>::const_iterator key) {
    const size_t position = key->second;
    index_.erase(key);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
    // The items behind the removed one move up by one.
    for (auto& [k, p] : index_)
        if (p > position) --p;
}

void TQParameter::Remove(int32_t index) {
    TQCollection<TQParam>::Item(index);
    // The key is the name at the time of adding, so it is looked up by position.
    const size_t position = static_cast<size_t>(index - 1);
    for (auto it = index_.cbegin(); it != index_.cend(); ++it)
        if (it->second == position) return Erase(it);
}

void TQParameter::Remove(const std::string& key) {
    const auto it = index_.find(LowerCase(key));
    if (it == index_.end()) throw VbError(kErrInvalidArgument);
    Erase(it);
}

}  // namespace norvik
