#include "db/odbc/odbc_connection.h"

#include "db/db_error.h"
#include "db/odbc/odbc_params.h"
#include "db/odbc/odbc_record_set.h"
#include "db/statement_rewrite.h"

namespace norvik::db {

OdbcConnection::OdbcConnection(const std::string& url)
    : url_(url), db_(std::make_shared<OdbcDatabase>(url.substr(url.find(':') + 1))) {}

int64_t OdbcConnection::Execute(const std::string& sql, const std::vector<Value>& params) {
    const auto use = db_->Use();
    // Drivers differ in running several statements at once; each runs here on its own, taking
    // its share of the parameters as the SQLite back end does.
    OdbcParams values(params, *db_);
    size_t used = 0;
    int64_t changed = 0;
    for (const std::string_view statement :
         SplitStatements(sql, db_->Dbms() == OdbcDbms::kMariaDb)) {
        OdbcStatement stmt(*db_);
        const size_t markers = stmt.Prepare(std::string(statement));
        if (used + markers > params.size()) CheckParameterCount(used + markers, params.size());
        values.Bind(stmt, used, markers);
        used += markers;
        stmt.Check(SQLExecute(stmt.Get()));
        SQLSMALLINT columns = 0;
        SQLLEN rows = 0;
        if (SQL_SUCCEEDED(SQLNumResultCols(stmt.Get(), &columns)) && columns == 0 &&
            SQL_SUCCEEDED(SQLRowCount(stmt.Get(), &rows)) && rows > 0)
            changed += rows;
    }
    CheckParameterCount(used, params.size());
    return changed;
}

std::unique_ptr<RecordSet> OdbcConnection::OpenRecordSet(const std::string& sql,
                                                         const std::vector<Value>& params,
                                                         RowCount count) {
    return OdbcRecordSet::Open(db_, sql, params, count);
}

std::string OdbcConnection::Dialect() const {
    switch (db_->Dbms()) {
        case OdbcDbms::kSqlite:
            return "odbc-sqlite";
        case OdbcDbms::kPostgres:
            return "odbc-postgresql";
        case OdbcDbms::kMariaDb:
            return "odbc-mariadb";
        case OdbcDbms::kOther:
            break;
    }
    return "odbc";
}

}  // namespace norvik::db
