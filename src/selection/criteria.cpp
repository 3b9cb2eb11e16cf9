#include "selection/criteria.h"

#include "common/cp1252_case.h"
#include "common/vb_error.h"

namespace norvik {

const std::string& Criterion::DisplayName() const {
    return !Label.empty() ? Label : !Caption.empty() ? Caption : ControlSource;
}

Criterion& CriterionList::Add(const std::string& key) {
    if (FindKey(key)) throw VbError(kErrDuplicateKey);
    auto criterion = std::make_unique<Criterion>();
    criterion->ControlSource = key;
    items_.push_back(std::move(criterion));
    return *items_.back();
}

Criterion& CriterionList::Item(const std::string& key) const {
    Criterion* found = FindKey(key);
    if (!found) throw VbError(kErrInvalidArgument);
    return *found;
}

Criterion& CriterionList::Item(int32_t index) const {
    if (index < 1 || index > Count()) throw VbError(kErrOutOfRange);
    return *items_[static_cast<size_t>(index - 1)];
}

Criterion* CriterionList::Find(const std::string& name) const {
    for (const auto& c : items_)
        if (EqualsIgnoreCase(c->Caption, name)) return c.get();
    return FindKey(name);
}

Criterion* CriterionList::FindKey(const std::string& key) const {
    for (const auto& c : items_)
        if (EqualsIgnoreCase(c->ControlSource, key)) return c.get();
    return nullptr;
}

}  // namespace norvik
