#include <gtest/gtest.h>

#include <stdexcept>

#include "common/vb_error.h"
#include "db/streaming_record_set.h"

namespace norvik::db {
namespace {

// A statement that delivers `rows` rows (the value is the row number) while the count taken
// beforehand said `counted`, as when another writer or a volatile function changes the result.
class ScriptedRecordSet : public StreamingRecordSet {
  public:
    ScriptedRecordSet(int64_t rows, int64_t counted, int64_t failAt = 0)
        : rows_(rows), failAt_(failAt) {
        Start({"nr"}, counted);
    }

  protected:
    bool FetchRow(std::vector<Value>& slots) override {
        if (next_ == failAt_) throw VbError(kErrDatabase, "Zeile kaputt");
        if (next_ > rows_) return false;
        slots[0] = next_++;
        return true;
    }
    void Restart() override { next_ = 1; }
    void Release() noexcept override {}

  private:
    int64_t rows_;
    int64_t failAt_;
    int64_t next_ = 1;
};

TEST(StreamingCountTest, TheCountFollowsTheRowsTheStatementDelivers) {
    struct Case {
        int64_t rows;
        int64_t counted;
    };
    for (const Case c : {Case{4, 4}, Case{4, 9}, Case{4, 1}, Case{4, 0}, Case{1, 3}, Case{0, 2}}) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows, counted " + std::to_string(c.counted));
        ScriptedRecordSet rs(c.rows, c.counted);
        EXPECT_EQ(rs.Eof(), c.rows == 0);
        int64_t seen = 0;
        while (!rs.Eof()) {
            ++seen;
            EXPECT_EQ(std::get<int64_t>(rs.Item(0)), seen);
            EXPECT_LE(rs.Bookmark(), rs.RecordCount());
            // At the last row the count is exact, so the progress ends at 100 percent.
            if (seen == c.rows) {
                EXPECT_EQ(rs.RecordCount(), c.rows);
            }
            rs.MoveNext();
        }
        EXPECT_EQ(seen, c.rows);
        if (c.rows > 0) {
            rs.MoveLast();
            EXPECT_EQ(std::get<int64_t>(rs.Item(0)), c.rows);
            rs.MoveFirst();
            EXPECT_EQ(std::get<int64_t>(rs.Item(0)), 1);
        }
    }
}

TEST(StreamingCountTest, ARowThatCannotBeReadFailsWhenItIsReached) {
    ScriptedRecordSet rs(5, 5, 3);
    EXPECT_EQ(std::get<int64_t>(rs.Item(0)), 1);
    rs.MoveNext();
    EXPECT_EQ(std::get<int64_t>(rs.Item(0)), 2);
    EXPECT_THROW(rs.MoveNext(), VbError);
}

}  // namespace
}  // namespace norvik::db
