#pragma once
// Filling a row's value slots without a fresh heap allocation per cell.

#include <string>
#include <string_view>

#include "common/value.h"

namespace norvik::db {

// Stores text in the slot, reusing the capacity of the string it already holds.
inline void AssignText(Value& slot, std::string_view text) {
    if (auto* s = std::get_if<std::string>(&slot)) {
        s->assign(text);
    } else {
        slot.emplace<std::string>(text);
    }
}

// Stores a decimal's text in the slot, reusing the capacity of the decimal it already holds.
inline void AssignDecimal(Value& slot, std::string_view text) {
    if (auto* d = std::get_if<Decimal>(&slot)) {
        d->text.assign(text);
    } else {
        slot.emplace<Decimal>().text.assign(text);
    }
}

}  // namespace norvik::db
