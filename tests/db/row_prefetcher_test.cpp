#include "db/row_prefetcher.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace norvik::db {
namespace {

// Row n of a statement whose columns take every kind of value in turn.
std::vector<Value> RowNumber(int64_t n) {
    DateTime date;
    date.year = 2026;
    date.month = 12;
    date.day = static_cast<int>(1 + n % 28);
    date.second = static_cast<int>(n % 60);
    const std::vector<Value> kinds = {
        Null{},
        n,
        std::numeric_limits<int64_t>::min() + n,
        static_cast<double>(n) / 8.0,
        -0.0,
        Decimal{"-" + std::to_string(n) + ".50"},
        std::string(),
        std::string("Gr\xC3\xB6\xC3\x9F"
                    "e\0mit Null",
                    15),
        std::string(static_cast<size_t>(n % 3 == 0 ? 5000 : 3), static_cast<char>('a' + n % 26)),
        date,
        n % 2 == 0,
    };
    std::vector<Value> row(4);
    for (size_t i = 0; i < row.size(); ++i)
        row[i] = kinds[(static_cast<size_t>(n) + i) % kinds.size()];
    return row;
}

TEST(RowPrefetcher, DeliversEveryKindOfValueAsItWasRead) {
    for (const int64_t rows : {0, 1, 255, 256, 257, 3000}) {
        SCOPED_TRACE(std::to_string(rows) + " rows");
        int64_t fetched = 0;
        RowPrefetcher prefetcher([&](PackedValues& out, size_t& count, size_t most) {
            for (; count < most; ++count) {
                if (fetched == rows) return false;
                for (const Value& value : RowNumber(++fetched)) out.Add(value);
            }
            return true;
        });
        std::vector<Value> row(4, std::string("alt"));
        int64_t n = 0;
        while (prefetcher.Next(row)) {
            ++n;
            ASSERT_EQ(row, RowNumber(n)) << "row " << n;
        }
        EXPECT_EQ(n, rows);
        EXPECT_FALSE(prefetcher.Next(row));
    }
}

TEST(RowPrefetcher, AFailureComesAfterTheRowsBeforeIt) {
    int64_t fetched = 0;
    RowPrefetcher prefetcher([&](PackedValues& out, size_t& count, size_t most) {
        for (; count < most; ++count) {
            if (fetched == 700) throw std::runtime_error("Zeile 701 unlesbar");
            for (const Value& value : RowNumber(++fetched)) out.Add(value);
        }
        return true;
    });
    std::vector<Value> row(4);
    for (int64_t n = 1; n <= 700; ++n) {
        ASSERT_TRUE(prefetcher.Next(row));
        ASSERT_EQ(row, RowNumber(n));
    }
    EXPECT_THROW(prefetcher.Next(row), std::runtime_error);
    EXPECT_FALSE(prefetcher.Next(row));
    EXPECT_EQ(row, RowNumber(700));
}

}  // namespace
}  // namespace norvik::db
