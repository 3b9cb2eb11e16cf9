// Streaming, counting and moving through the rows of a statement.

#include "backend_fixture.h"

namespace norvik::db::test {
namespace {

// 2500 rows numbered 1..2500, more than one batch of the PostgreSQL cursor.
const char* const kSeries =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2500) SELECT i FROM "
    "n";

int64_t Int(const Value& v) {
    return std::get<int64_t>(v);
}

TEST_P(BackendTest, RowsStreamWithCountAndBookmarks) {
    auto rs = db_->OpenRecordSet(kSeries);
    // A server counts beside the rows: the count may come later, never wrong.
    EXPECT_TRUE(rs->RecordCount() == 2500 || rs->RecordCount() == -1) << rs->RecordCount();
    int64_t rows = 0;
    for (; !rs->Eof(); rs->MoveNext()) {
        ++rows;
        ASSERT_EQ(rs->Bookmark(), rows);
        ASSERT_EQ(Int(rs->Item(0)), rows);
        ASSERT_TRUE(rs->RecordCount() == 2500 || rs->RecordCount() == -1);
    }
    EXPECT_EQ(rs->RecordCount(), 2500);
    EXPECT_EQ(rows, 2500);
    EXPECT_EQ(RaisedBy([&] { rs->Bookmark(); }).substr(0, 5), "3021:");
    EXPECT_EQ(RaisedBy([&] { rs->Item(0); }).substr(0, 5), "3021:");
    EXPECT_EQ(RaisedBy([&] { rs->MoveNext(); }).substr(0, 5), "3021:");
}

// Also on a single row and on none.
TEST_P(BackendTest, MoveLastAndMoveFirstWorkAtEveryPosition) {
    auto rs = db_->OpenRecordSet(kSeries);
    rs->MoveLast();  // not streamed yet
    EXPECT_EQ(rs->Bookmark(), 2500);
    EXPECT_EQ(Int(rs->Item(0)), 2500);
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    rs->MoveLast();  // after the end: the kept last row
    EXPECT_EQ(rs->Bookmark(), 2500);
    EXPECT_EQ(Int(rs->Item(0)), 2500);
    rs->MoveFirst();
    EXPECT_EQ(rs->Bookmark(), 1);
    EXPECT_EQ(Int(rs->Item(0)), 1);
    for (int i = 0; i < 1200; ++i) rs->MoveNext();
    EXPECT_EQ(Int(rs->Item(0)), 1201);
    rs->MoveFirst();
    EXPECT_EQ(Int(rs->Item(0)), 1);
    rs->MoveNext();
    EXPECT_EQ(rs->Bookmark(), 2);

    rs = db_->OpenRecordSet("SELECT 'eins' AS t");
    rs->MoveNext();
    ASSERT_TRUE(rs->Eof());
    rs->MoveFirst();
    EXPECT_EQ(rs->Item(0), Value(std::string("eins")));
    EXPECT_EQ(rs->Bookmark(), 1);

    rs = db_->OpenRecordSet("SELECT 1 AS id, 'x' AS name FROM (SELECT 1 AS n) AS e WHERE n > 1");
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(rs->FieldCount(), 2);
    rs->MoveFirst();
    rs->MoveLast();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(RaisedBy([&] { rs->Item("name"); }).substr(0, 5), "3021:");
}

TEST_P(BackendTest, ColumnsAreFoundIgnoringCase) {
    auto rs = db_->OpenRecordSet(R"(SELECT 1 AS "Kunden_Nr", 2 AS "Größe", 3 AS "ÄRGER")");
    EXPECT_EQ(rs->FieldName(1), "Größe");
    EXPECT_EQ(rs->FindField("KUNDEN_nr"), 0);
    EXPECT_EQ(rs->FindField("GRÖßE"), 1);
    EXPECT_EQ(rs->FindField("ärger"), 2);
    EXPECT_EQ(rs->FindField("Grosse"), -1);
    EXPECT_EQ(Int(rs->Item("äRGER")), 3);
    EXPECT_EQ(RaisedBy([&] { rs->Item("fehlt"); }).substr(0, 5), "3265:");
}

TEST_P(BackendTest, AnotherConnectionWritesWhileRowsStream) {
    db_->Execute("CREATE TABLE items (id INTEGER, name VARCHAR(20))");
    db_->Execute("INSERT INTO items VALUES (1, 'a'), (2, 'b'), (3, 'c'), (4, 'd'), (5, 'e')");
    db_->Execute("CREATE TABLE log (msg TEXT)");
    auto rs = db_->OpenRecordSet("SELECT id FROM items ORDER BY id");
    rs->MoveNext();
    auto writer = db_->Reopen();
    EXPECT_EQ(writer->Execute("INSERT INTO log VALUES (?)", {std::string("läuft")}), 1);
    EXPECT_EQ(writer->Execute("INSERT INTO items VALUES (6, 'neu')"), 1);
    int rows = 1;
    for (; !rs->Eof(); rs->MoveNext()) ++rows;
    EXPECT_EQ(rows, 5);  // the record set reads as of its opening
    rs->Close();
    EXPECT_EQ(db_->OpenRecordSet("SELECT msg FROM log")->Item(0), Value(std::string("läuft")));
    EXPECT_EQ(db_->OpenRecordSet("SELECT id FROM items")->RecordCount(), 6);
}

// Long results are read ahead on a thread of their own: record sets on one connection may overlap,
// and the connection still serves the caller's other statements between their rows.
TEST_P(BackendTest, RecordSetsOnOneConnectionMayOverlap) {
    db_->Execute("CREATE TABLE seen (nr INTEGER)");
    db_->Execute("INSERT INTO seen VALUES (1), (2), (3)");
    const std::string series =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) SELECT i, "
        "i * 3 AS t FROM n";
    auto first = db_->OpenRecordSet(series);
    auto second = db_->OpenRecordSet(series);
    int64_t expected = 1;
    for (; !first->Eof(); ++expected) {
        ASSERT_EQ(Int(first->Item(0)), expected);
        ASSERT_EQ(Int(first->Item(1)), 3 * expected);
        ASSERT_EQ(Int(second->Item(0)), expected);
        if (expected % 700 == 0) {
            auto other =
                db_->OpenRecordSet("SELECT nr FROM seen WHERE nr > ? ORDER BY nr", {int64_t{1}});
            EXPECT_EQ(other->RecordCount(), 2);
            EXPECT_EQ(Int(other->Item(0)), 2);
        }
        first->MoveNext();
        second->MoveNext();
    }
    EXPECT_EQ(expected, 20001);
    EXPECT_TRUE(second->Eof());
    second->MoveFirst();
    EXPECT_EQ(Int(second->Item(0)), 1);
    second.reset();
    first.reset();
    EXPECT_EQ(db_->Execute("DELETE FROM seen"), 3);
}

}  // namespace
}  // namespace norvik::db::test
