#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "common/vb_error.h"
#include "db/row_prefetcher.h"
#include "db/streaming_record_set.h"
#include "support/cases.h"

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
    for (const ::norvik::test::CaseRow& row :
         ::norvik::test::ReadCases("db/cases/streaming_counts.tsv")) {
        SCOPED_TRACE(row.where);
        const int64_t rows = std::stoll(row[0]), counted = std::stoll(row[1]),
                      failAt = std::stoll(row[2]), restartAt = std::stoll(row[3]),
                      closeAt = std::stoll(row[5]);
        ScriptedRecordSet rs(rows, counted, failAt, row[4] == "1");
        EXPECT_EQ(rs.Eof(), rows == 0);
        int64_t expected = 1;
        bool restarted = false;
        try {
            while (!rs.Eof()) {
                ASSERT_EQ(std::get<int64_t>(rs.Item(0)), expected);
                ASSERT_EQ(rs.Bookmark(), expected);
                ASSERT_LE(rs.Bookmark(), rs.RecordCount());
                // At the last row the count is exact, so the progress ends at 100 percent.
                EXPECT_TRUE(expected != rows || rs.RecordCount() == rows) << rs.RecordCount();
                if (expected == closeAt) break;
                if (expected == restartAt && !restarted) {
                    restarted = true;
                    rs.MoveFirst();
                    expected = 1;
                    continue;
                }
                rs.MoveNext();
                ++expected;
            }
        } catch (const VbError& e) {
            EXPECT_EQ(failAt, expected + 1) << e.what();
            continue;
        }
        EXPECT_EQ(failAt, 0);
        if (closeAt) {
            rs.Close();
            EXPECT_TRUE(rs.Eof());
            continue;
        }
        EXPECT_EQ(expected, rows + 1);
        EXPECT_EQ(rs.restarts, restartAt ? 1 : 0);
        EXPECT_EQ(rs.RecordCount(), rows);
        if (rows == 0) continue;
        rs.MoveLast();
        EXPECT_EQ(std::get<int64_t>(rs.Item(0)), rows);
        rs.MoveFirst();
        EXPECT_EQ(std::get<int64_t>(rs.Item(0)), 1);
    }
}

// Row n of a statement whose columns take every kind of value in turn.
std::vector<Value> RowNumber(int64_t n) {
    const DateTime date{2026, 12, static_cast<int>(1 + n % 28), 0, 0, static_cast<int>(n % 60)};
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

// Rows come as they were read, a failure after the rows before it.
TEST(RowPrefetcher, DeliversEveryKindOfValueAsItWasRead) {
    for (const int64_t rows : {0, 1, 255, 256, 257, 700, 1023, 1024, 1025, 3000})
        for (const bool fails : {false, true}) {
            SCOPED_TRACE(std::to_string(rows) + (fails ? " rows, then a failure" : " rows"));
            int64_t fetched = 0;
            RowPrefetcher prefetcher([&](PackedValues& out, size_t& count, size_t most) {
                for (; count < most; ++count) {
                    if (fetched == rows && fails) throw std::runtime_error("Zeile unlesbar");
                    if (fetched == rows) return false;
                    for (const Value& value : RowNumber(++fetched)) out.Add(value);
                }
                return true;
            });
            std::vector<Value> row(4, std::string("alt"));
            int64_t n = 0;
            while (n < rows && prefetcher.Next(row)) ASSERT_EQ(row, RowNumber(++n)) << "row " << n;
            EXPECT_EQ(n, rows);
            if (fails) {
                EXPECT_THROW(prefetcher.Next(row), std::runtime_error);
            }
            EXPECT_FALSE(prefetcher.Next(row));
            EXPECT_TRUE(rows == 0 || row == RowNumber(rows));
        }
}

}  // namespace
}  // namespace norvik::db
