#include "db/text_values.h"

#include <string>

#include "common/ascii.h"
#include "db/date_text.h"
#include "db/decimal_text.h"
#include "db/value_slot.h"

namespace norvik::db {
namespace {

// The amount of a money text in the C locale ("-$1,234.50") as a decimal text ("-1234.50").
bool MoneyDecimal(std::string_view text, std::string& out) {
    out.clear();
    for (const char c : text)
        if (c != '$' && c != ',') out += c;
    if (IsDecimalText(out)) return true;
    thread_local std::string canonical;
    if (!CanonicalDecimal(out, canonical)) return false;
    out.swap(canonical);
    return true;
}

bool ReadBool(std::string_view text, Value& slot) {
    if (text == "t" || text == "true" || text == "1") {
        slot = true;
        return true;
    }
    if (text == "f" || text == "false" || text == "0") {
        slot = false;
        return true;
    }
    return false;
}

bool ReadDouble(std::string_view text, Value& slot) {
    double value = 0;
    if (!ParseWholeNumber(text, value)) return false;
    slot = value;
    return true;
}

bool ReadPlainDecimal(std::string_view text, Value& slot) {
    if (IsDecimalText(text)) {
        AssignDecimal(slot, text);
        return true;
    }
    thread_local std::string canonical;
    if (!CanonicalDecimal(text, canonical)) return false;
    AssignDecimal(slot, canonical);
    return true;
}

bool ReadDecimal(std::string_view text, Value& slot) {
    return ReadPlainDecimal(text, slot) || ReadDouble(text, slot);
}

bool ReadTyped(std::string_view text, TextKind kind, Value& slot) {
    switch (kind) {
        case TextKind::kBool:
            return ReadBool(text, slot);
        case TextKind::kInteger: {
            int64_t value = 0;
            if (ParseWholeNumber(text, value)) {
                slot = value;
                return true;
            }
            return ReadPlainDecimal(text, slot);
        }
        case TextKind::kFloat:
            return ReadDouble(text, slot);
        case TextKind::kDecimal:
            return ReadDecimal(text, slot);
        case TextKind::kMoney: {
            thread_local std::string amount;
            if (!MoneyDecimal(text, amount)) return false;
            AssignDecimal(slot, amount);
            return true;
        }
        case TextKind::kDateTime:
        case TextKind::kComputedDate: {
            DateTime value;
            if (!ReadDateText(text, kind, value)) return false;
            slot = value;
            return true;
        }
        case TextKind::kEscapedHex:
            if (!text.starts_with("\\x") || text.size() % 2 != 0) return false;
            AssignText(slot, text.substr(2));
            for (char& c : std::get<std::string>(slot)) c = AsciiUpper(c);
            return true;
        case TextKind::kText:
            return false;
    }
    return false;
}

}  // namespace

bool ReadDateText(std::string_view text, TextKind kind, DateTime& out) {
    // Infinite or BC dates, zero dates and years past 9999 stay text.
    if (kind == TextKind::kDateTime)
        return ParseDateTimeText(text, out) || ParseTimeText(text, out);
    return kind == TextKind::kComputedDate && ParseComputedDate(text, out);
}

void ReadTextCell(std::string_view text, TextKind kind, Value& slot) {
    if (!ReadTyped(text, kind, slot)) AssignText(slot, text);
}

}  // namespace norvik::db
