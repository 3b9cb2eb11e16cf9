#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "common/vb_error.h"
#include "db/row_prefetcher.h"
#include "db/streaming_record_set.h"
namespace norvik::db {
namespace {

// A statement that delivers `rows` rows (the value is the row number) while the count taken
// beforehand said `counted`, as when another writer or a volatile function changes the result.
class ScriptedRecordSet : public StreamingRecordSet {
  public:
    ScriptedRecordSet(int64_t rows, int64_t counted, int64_t failAt = 0, bool ahead = false)
        : rows_(rows), failAt_(failAt), ahead_(ahead) {
        Start({"nr"}, counted);
    }
    ~ScriptedRecordSet() override { Close(); }
    int64_t restarts = 0;

  protected:
    bool FetchRow(std::vector<Value>& slots) override {
        if (next_ == failAt_) throw VbError(kErrDatabase, "Zeile kaputt");
        if (next_ > rows_) return false;
        slots[0] = next_++;
        return true;
    }
    void Restart() override {
        next_ = 1;
        ++restarts;
    }
    void Release() noexcept override {}
    bool FetchesAhead() const override { return ahead_; }

  private:
    int64_t rows_;
    int64_t failAt_;
    bool ahead_;
    int64_t next_ = 1;
};

// The count follows the rows the statement delivers, and past the first thousand rows the rest are
// read on another thread: the caller sees the same rows, counts, failures and restarts as when they
// are read one by one.
TEST(StreamingCountTest, RowsCountsFailuresAndRestartsAsTheStatementDeliversThem) {
    struct Case {
        int64_t rows;
        int64_t counted;
        int64_t failAt;
        int64_t restartAt;  // MoveFirst when this row is reached; 0: never
        bool ahead;
    };
    for (const Case c :
         {Case{4, 4, 0, 0, false}, Case{4, 9, 0, 0, false}, Case{4, 1, 0, 0, false},
          Case{4, 0, 0, 0, false}, Case{1, 3, 0, 0, false}, Case{0, 2, 0, 0, false},
          Case{999, 999, 0, 0, true}, Case{1001, 1001, 0, 0, true}, Case{5000, 5000, 0, 0, true},
          Case{5, 5, 3, 0, true}, Case{5000, 5000, 3001, 0, true}, Case{5000, 5000, 1001, 0, true},
          Case{5000, 5000, 0, 4000, true}, Case{70000, 70000, 0, 0, true}}) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows, counted " + std::to_string(c.counted) +
                     ", failing at " + std::to_string(c.failAt) + ", back to the first at " +
                     std::to_string(c.restartAt));
        ScriptedRecordSet rs(c.rows, c.counted, c.failAt, c.ahead);
        EXPECT_EQ(rs.Eof(), c.rows == 0);
        int64_t expected = 1;
        bool restarted = false;
        try {
            while (!rs.Eof()) {
                ASSERT_EQ(std::get<int64_t>(rs.Item(0)), expected);
                ASSERT_EQ(rs.Bookmark(), expected);
                ASSERT_LE(rs.Bookmark(), rs.RecordCount());
                // At the last row the count is exact, so the progress ends at 100 percent.
                if (expected == c.rows) {
                    EXPECT_EQ(rs.RecordCount(), c.rows);
                }
                if (expected == c.restartAt && !restarted) {
                    restarted = true;
                    rs.MoveFirst();
                    expected = 1;
                    continue;
                }
                rs.MoveNext();
                ++expected;
            }
        } catch (const VbError& e) {
            EXPECT_EQ(c.failAt, expected + 1) << e.what();
            continue;
        }
        EXPECT_EQ(c.failAt, 0);
        EXPECT_EQ(expected, c.rows + 1);
        EXPECT_EQ(rs.restarts, c.restartAt ? 1 : 0);
        EXPECT_EQ(rs.RecordCount(), c.rows);
        if (c.rows == 0) continue;
        rs.MoveLast();
        EXPECT_EQ(std::get<int64_t>(rs.Item(0)), c.rows);
        rs.MoveFirst();
        EXPECT_EQ(std::get<int64_t>(rs.Item(0)), 1);
    }
}

TEST(StreamingCountTest, ClosingWhileRowsAreReadAheadStopsTheReading) {
    for (const int64_t stopAt : {1, 1000, 1500, 9000}) {
        ScriptedRecordSet rs(1'000'000, 1'000'000, 0, true);
        for (int64_t i = 1; i < stopAt; ++i) rs.MoveNext();
        EXPECT_EQ(std::get<int64_t>(rs.Item(0)), stopAt);
        rs.Close();
        EXPECT_TRUE(rs.Eof());
    }
}

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
