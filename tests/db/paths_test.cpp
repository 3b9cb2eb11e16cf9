// The same values, whichever way a back end reads the rows that hold them.

#include "backend_fixture.h"
#include "support/cases.h"

namespace norvik::db::test {
namespace {

constexpr int kRows = 1500;

using Reading = std::tuple<std::string, std::vector<Value>, RowCount>;

// The ways of reading the table "p" (n, v, w) on a back end, as statements, their parameters and
// whether the rows are counted first.
std::vector<Reading> Readings(const std::string& backend, bool asText) {
    if (asText)  // SQLite takes the declared type from the first part
        return {{"SELECT n, v FROM typed UNION ALL SELECT n, v FROM p", {}, RowCount::Counted}};
    std::vector<Reading> readings = {{"SELECT n, v FROM p ORDER BY n", {}, RowCount::Counted},
                                     {"SELECT n, v FROM p ORDER BY n", {}, RowCount::Uncounted}};
    if (backend == "postgresql") {
        readings.push_back(
            {"SELECT n, v, NULL::json AS j FROM p ORDER BY n", {}, RowCount::Counted});
        readings.push_back(
            {"SELECT n, v FROM p WHERE n >= ? ORDER BY n", {int64_t{1}}, RowCount::Counted});
    }
    if (::norvik::test::IsOdbc(backend))
        readings.push_back({"SELECT n, v, w FROM p ORDER BY n", {}, RowCount::Counted});
    return readings;
}

TEST_P(BackendTest, EveryWayOfReadingGivesTheSameValues) {
    int cases = 0;
    for (const auto& c : ::norvik::test::ReadCases("db/cases/paths.tsv")) {
        if (!Applies(c[0], GetParam())) continue;
        SCOPED_TRACE(c.where);
        ++cases;
        const bool asText = c[2] == "astext";
        db_->Execute("DROP TABLE IF EXISTS p");
        db_->Execute("DROP TABLE IF EXISTS typed");
        db_->Execute("CREATE TABLE p (n INTEGER, v " + (asText ? "TEXT" : c[1]) + ", w TEXT)");
        if (asText) db_->Execute("CREATE TABLE typed (n INTEGER, v " + c[1] + ")");
        db_->Execute("INSERT INTO p VALUES (1, " + ::norvik::test::Repeated(c[3]) + ", 'w')");
        for (int rows = 1; rows < kRows; rows *= 2)
            db_->Execute("INSERT INTO p SELECT n + " + std::to_string(rows) +
                         ", v, w FROM p WHERE n <= " + std::to_string(kRows - rows));
        // "sqlnull": every second row holds a null instead; "sqllate": the rows a back end reads
        // ahead on another thread hold the value, the first thousand a null.
        const bool nulls = c[2] == "sqlnull";
        const bool late = c[2] == "sqllate";
        if (nulls) db_->Execute("UPDATE p SET v = NULL WHERE n % 2 = 0");
        if (late) db_->Execute("UPDATE p SET v = NULL WHERE n <= 1000");
        const Value value = ::norvik::test::CaseValue(c[4], ::norvik::test::Repeated(c[5]));
        const bool exact = c.fields.size() > 6 && c[6] == "exact";
        for (const auto& [sql, params, count] : Readings(GetParam(), asText)) {
            SCOPED_TRACE(sql + (count == RowCount::Uncounted ? " uncounted" : ""));
            auto rs = db_->OpenRecordSet(sql, params, count);
            // PostgreSQL counts beside the rows at no wait, where it can.
            if (count == RowCount::Uncounted && GetParam() != "postgresql") {
                EXPECT_EQ(rs->RecordCount(), -1);
            }
            int64_t n = 0;
            for (; !rs->Eof(); rs->MoveNext()) {
                ASSERT_EQ(rs->Item(0), Value(++n));
                const Value& got = rs->Item(1);
                const Value expected =
                    (nulls && n % 2 == 0) || (late && n <= 1000) ? Value(Null{}) : value;
                ASSERT_TRUE((exact ? got == expected : SameValue(got, expected)) &&
                            got.index() == expected.index())
                    << "row " << n << ": " << DescribeValue(got);
            }
            EXPECT_EQ(n, kRows);
            EXPECT_EQ(rs->RecordCount(), kRows);
        }
    }
    EXPECT_GT(cases, 10);
}

}  // namespace
}  // namespace norvik::db::test
