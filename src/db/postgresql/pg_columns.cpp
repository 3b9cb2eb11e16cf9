#include "db/postgresql/pg_columns.h"

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

}  // namespace

TextKind PgKindOf(Oid type) {
    switch (type) {
        case kBoolOid:
            return TextKind::kBool;
        case kInt2Oid:
        case kInt4Oid:
        case kInt8Oid:
        case kOidOid:
            return TextKind::kInteger;
        case kFloat4Oid:
        case kFloat8Oid:
            return TextKind::kFloat;
        case kNumericOid:
            return TextKind::kDecimal;
        case kMoneyOid:
            return TextKind::kMoney;
        case kByteaOid:
            return TextKind::kEscapedHex;
        case kDateOid:
        case kTimestampOid:
        case kTimestampTzOid:
        case kTimeOid:
        case kTimeTzOid:
            return TextKind::kDateTime;
        default:
            return TextKind::kText;
    }
}

}  // namespace norvik::db
