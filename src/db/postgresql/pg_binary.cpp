#include "db/postgresql/pg_binary.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "db/date_text.h"

namespace norvik::db {
namespace {

// Type OIDs from the server's catalog (pg_type.dat); they are fixed across versions.
constexpr Oid kBoolOid = 16;
constexpr Oid kNameOid = 19;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kTextOid = 25;
constexpr Oid kBpcharOid = 1042;
constexpr Oid kVarcharOid = 1043;
constexpr Oid kDateOid = 1082;
constexpr Oid kTimestampOid = 1114;
constexpr Oid kNumericOid = 1700;

// The Julian day of 2000-01-01, the server's epoch for dates and time stamps.
constexpr int64_t kEpochJulianDay = 2451545;
constexpr int64_t kMicrosPerDay = 86'400'000'000;

int16_t Int16(const char* p) {
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<int16_t>(__builtin_bswap16(v));
}

int32_t Int32(const char* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<int32_t>(__builtin_bswap32(v));
}

int64_t Int64(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<int64_t>(__builtin_bswap64(v));
}

// Writes a number in decimal digits, with zeros in front up to `width` digits; returns the end.
char* WriteNumber(char* out, uint64_t value, int width) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 || n < width);
    while (n > 0) *out++ = digits[--n];
    return out;
}

// The server's own conversion of a Julian day to a calendar date.
void JulianToDate(int64_t day, DateTime& date) {
    uint64_t julian = static_cast<uint64_t>(day) + 32044;
    uint64_t quad = julian / 146097;
    const uint64_t extra = (julian - quad * 146097) * 4 + 3;
    julian += 60 + quad * 3 + extra / 146097;
    quad = julian / 1461;
    julian -= quad * 1461;
    int64_t y = static_cast<int64_t>(julian * 4 / 1461);
    julian = ((y != 0) ? ((julian + 305) % 365) : ((julian + 306) % 366)) + 123;
    y += static_cast<int64_t>(quad * 4);
    date.year = static_cast<int>(y - 4800);
    quad = julian * 2141 / 65536;
    date.day = static_cast<int>(julian - 7834 * quad / 256);
    date.month = static_cast<int>((quad + 10) % 12 + 1);
}

// Reads a date, with the time of day in microseconds, as its text with DateStyle ISO reads; the
// server refuses days beyond its range, so a value there is no date (false).
bool ReadDate(int64_t days, int64_t micros, bool timestamp, TextKind kind, Value& slot,
              std::string& text) {
    const int64_t julian = days + kEpochJulianDay;
    if (julian < 0 || julian > std::numeric_limits<int32_t>::max()) return false;
    DateTime parts;
    JulianToDate(julian, parts);
    const auto seconds = static_cast<uint64_t>(micros / 1'000'000);
    auto fraction = static_cast<uint64_t>(micros % 1'000'000);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    const bool bc = parts.year <= 0;
    // The usual date reads without its text: the reading of a text's first fraction digit.
    DateTime read;
    if (kind == TextKind::kDateTime && !bc && CompleteDateTime(parts, fraction >= 500'000, read)) {
        slot = read;
        return true;
    }
    char buffer[64];
    char* p = WriteNumber(buffer, static_cast<uint64_t>(bc ? 1 - parts.year : parts.year), 4);
    *p++ = '-';
    p = WriteNumber(p, static_cast<uint64_t>(parts.month), 2);
    *p++ = '-';
    p = WriteNumber(p, static_cast<uint64_t>(parts.day), 2);
    if (timestamp) {
        *p++ = ' ';
        p = WriteNumber(p, static_cast<uint64_t>(parts.hour), 2);
        *p++ = ':';
        p = WriteNumber(p, static_cast<uint64_t>(parts.minute), 2);
        *p++ = ':';
        p = WriteNumber(p, static_cast<uint64_t>(parts.second), 2);
        if (fraction != 0) {
            // Six digits, without the zeros at their end.
            int width = 6;
            while (fraction % 10 == 0) fraction /= 10, --width;
            *p++ = '.';
            p = WriteNumber(p, fraction, width);
        }
    }
    if (bc) std::memcpy(p, " BC", 3), p += 3;
    text.assign(buffer, p);
    ReadTextCell(text, kind, slot);
    return true;
}

// Writes a numeric as the server's output function does; false when the bytes are no numeric.
bool NumericText(const char* p, size_t size, std::string& text) {
    if (size < 8) return false;
    const auto digits = static_cast<uint16_t>(Int16(p));
    const int weight = Int16(p + 2);
    const auto sign = static_cast<uint16_t>(Int16(p + 4));
    const auto scale = static_cast<uint16_t>(Int16(p + 6));
    if (size != 8 + 2 * static_cast<size_t>(digits)) return false;
    if (sign == 0xC000 || sign == 0xD000 || sign == 0xF000) {
        text = sign == 0xC000 ? "NaN" : sign == 0xD000 ? "Infinity" : "-Infinity";
        return true;
    }
    const auto digit = [&](int i) -> uint64_t {
        return i >= 0 && i < digits ? static_cast<uint16_t>(Int16(p + 8 + 2 * i)) : 0;
    };
    text.resize(2 + 4 * static_cast<size_t>(weight < 0 ? 1 : weight + 1) + scale + 4);
    char* out = text.data();
    if (sign == 0x4000) *out++ = '-';
    // Base-10000 digits: the first without leading zeros, the others with all four.
    if (weight < 0)
        *out++ = '0';
    else
        for (int i = 0; i <= weight; ++i) out = WriteNumber(out, digit(i), i == 0 ? 1 : 4);
    if (scale > 0) {
        *out++ = '.';
        int written = 0;
        for (int i = weight + 1; written < scale; ++i) {
            const auto value = static_cast<unsigned>(digit(i));
            for (unsigned divisor = 1000; divisor > 0 && written < scale; divisor /= 10, ++written)
                *out++ = static_cast<char>('0' + value / divisor % 10);
        }
    }
    text.resize(static_cast<size_t>(out - text.data()));
    return true;
}

}  // namespace

PgBinary PgBinaryOf(Oid type) {
    switch (type) {
        case kInt2Oid:
        case kInt4Oid:
        case kInt8Oid:
            return PgBinary::kInteger;
        case kBoolOid:
            return PgBinary::kBool;
        case kTextOid:
        case kVarcharOid:
        case kBpcharOid:
        case kNameOid:
            return PgBinary::kText;
        case kNumericOid:
            return PgBinary::kNumeric;
        case kDateOid:
            return PgBinary::kDate;
        case kTimestampOid:
            return PgBinary::kTimestamp;
        default:
            return PgBinary::kNone;
    }
}

bool ReadPgBinary(std::string_view bytes, PgBinary form, TextKind kind, Value& slot,
                  std::string& scratch) {
    const char* p = bytes.data();
    switch (form) {
        case PgBinary::kInteger:
            if (bytes.size() == 4)
                slot = int64_t{Int32(p)};
            else if (bytes.size() == 8)
                slot = Int64(p);
            else if (bytes.size() == 2)
                slot = int64_t{Int16(p)};
            else
                return false;
            return true;
        case PgBinary::kBool:
            if (bytes.size() != 1) return false;
            slot = p[0] != 0;
            return true;
        case PgBinary::kText:
            ReadTextCell(bytes, kind, slot);
            return true;
        case PgBinary::kNumeric:
            if (!NumericText(p, bytes.size(), scratch)) return false;
            ReadTextCell(scratch, kind, slot);
            return true;
        case PgBinary::kDate: {
            if (bytes.size() != 4) return false;
            const int32_t days = Int32(p);
            if (days == std::numeric_limits<int32_t>::min() ||
                days == std::numeric_limits<int32_t>::max()) {
                scratch = days > 0 ? "infinity" : "-infinity";
                ReadTextCell(scratch, kind, slot);
                return true;
            }
            return ReadDate(days, 0, false, kind, slot, scratch);
        }
        case PgBinary::kTimestamp: {
            if (bytes.size() != 8) return false;
            const int64_t micros = Int64(p);
            if (micros == std::numeric_limits<int64_t>::min() ||
                micros == std::numeric_limits<int64_t>::max()) {
                scratch = micros > 0 ? "infinity" : "-infinity";
                ReadTextCell(scratch, kind, slot);
                return true;
            }
            // Whole days, rounded down, and the time of that day.
            int64_t days = micros / kMicrosPerDay;
            int64_t time = micros - days * kMicrosPerDay;
            if (time < 0) time += kMicrosPerDay, days -= 1;
            return ReadDate(days, time, true, kind, slot, scratch);
        }
        case PgBinary::kNone:
            break;
    }
    return false;
}

}  // namespace norvik::db
