#include "db/pg_columns.h"

#include <charconv>

#include "db/date_text.h"
#include "db/decimal_text.h"
#include "db/value_slot.h"

namespace norvik::db {
namespace {

// Type OIDs from the server's catalog (pg_type.dat); they are fixed across versions.
constexpr Oid kBoolOid = 16;
constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kOidOid = 26;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;
constexpr Oid kMoneyOid = 790;
constexpr Oid kDateOid = 1082;
constexpr Oid kTimeOid = 1083;
constexpr Oid kTimestampOid = 1114;
constexpr Oid kTimestampTzOid = 1184;
constexpr Oid kTimeTzOid = 1266;
constexpr Oid kNumericOid = 1700;

// The amount of a money text in the C locale ("-$1,234.50") as a decimal text ("-1234.50").
bool MoneyDecimal(std::string_view text, std::string& out) {
    out.clear();
    for (const char c : text)
        if (c != '$' && c != ',') out += c;
    return IsDecimalText(out);
}

}  // namespace

PgColumnKind PgKindOf(Oid type) {
    switch (type) {
        case kBoolOid:
            return PgColumnKind::kBool;
        case kInt2Oid:
        case kInt4Oid:
        case kInt8Oid:
        case kOidOid:
            return PgColumnKind::kInteger;
        case kFloat4Oid:
        case kFloat8Oid:
            return PgColumnKind::kFloat;
        case kNumericOid:
            return PgColumnKind::kNumeric;
        case kMoneyOid:
            return PgColumnKind::kMoney;
        case kByteaOid:
            return PgColumnKind::kBinary;
        case kDateOid:
        case kTimestampOid:
        case kTimestampTzOid:
            return PgColumnKind::kDateTime;
        case kTimeOid:
        case kTimeTzOid:
            return PgColumnKind::kTime;
        default:
            return PgColumnKind::kText;
    }
}

void ReadPgCell(std::string_view text, PgColumnKind kind, Value& slot) {
    switch (kind) {
        case PgColumnKind::kBool:
            slot = text == "t";
            return;
        case PgColumnKind::kInteger: {
            int64_t value = 0;
            if (ParseWholeNumber(text, value)) {
                slot = value;
                return;
            }
            break;
        }
        case PgColumnKind::kMoney: {
            thread_local std::string amount;
            if (MoneyDecimal(text, amount)) {
                AssignDecimal(slot, amount);
                return;
            }
            break;
        }
        case PgColumnKind::kBinary: {
            // The server writes "\x" and lower-case hex digits.
            if (text.starts_with("\\x") && text.size() % 2 == 0) {
                AssignText(slot, text.substr(2));
                for (char& c : std::get<std::string>(slot))
                    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
                return;
            }
            break;
        }
        case PgColumnKind::kNumeric:
            if (IsDecimalText(text)) {
                AssignDecimal(slot, text);
                return;
            }
            [[fallthrough]];  // NaN and the infinities have no decimal form
        case PgColumnKind::kFloat: {
            double value = 0;
            if (ParseWholeNumber(text, value)) {
                slot = value;
                return;
            }
            break;
        }
        case PgColumnKind::kDateTime:
        case PgColumnKind::kTime: {
            // Infinite or BC dates and years past 9999 stay text.
            DateTime value;
            if (kind == PgColumnKind::kTime ? ParseTimeText(text, value)
                                            : ParseDateTimeText(text, value)) {
                slot = value;
                return;
            }
            break;
        }
        case PgColumnKind::kText:
            break;
    }
    AssignText(slot, text);
}

}  // namespace norvik::db
