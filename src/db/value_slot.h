#pragma once
// Filling a row's value slots without a fresh heap allocation per cell.

#include <string>
#include <string_view>

#include "common/digit_text.h"
#include "common/value.h"

namespace norvik::db {

// Stores text in the slot, reusing the capacity of the string it already holds.
inline void AssignText(Value& slot, std::string_view text) {
    if (auto* s = std::get_if<std::string>(&slot)) {
        // Appending to the emptied string copies at once; assign would check for overlap first.
        s->clear();
        s->append(text.data(), text.size());
    } else {
        slot.emplace<std::string>(text);
    }
}

// Stores a decimal's text in the slot, reusing the capacity of the decimal it already holds.
inline void AssignDecimal(Value& slot, std::string_view text) {
    if (auto* d = std::get_if<Decimal>(&slot)) {
        d->text.clear();
        d->text.append(text.data(), text.size());
    } else {
        slot.emplace<Decimal>().text.assign(text);
    }
}

// Stores binary data as its text form on every back end: two upper-case hex digits per byte, no
// prefix ("48C3BC" for the bytes 0x48 0xC3 0xBC).
inline void AssignBinary(Value& slot, std::string_view bytes) {
    std::string* s = std::get_if<std::string>(&slot);
    if (!s) s = &slot.emplace<std::string>();
    s->resize(bytes.size() * 2);
    WriteUpperHex(bytes, s->data());
}

}  // namespace norvik::db
