#pragma once
// Statement parameters bound to ODBC markers, kept alive for re-execution.

#include <sql.h>
#include <sqlext.h>

#include <deque>
#include <string>
#include <vector>

#include "common/value.h"
#include "db/odbc/odbc_database.h"

namespace norvik::db {

class OdbcParams {
  public:
    // Converts the values once for the connection's driver. Dates go as text on SQLite, where they
    // are stored as text in the native back end's form, and as timestamps elsewhere.
    OdbcParams(const std::vector<Value>& values, const OdbcDatabase& db);
    OdbcParams(const OdbcParams&) = delete;
    OdbcParams& operator=(const OdbcParams&) = delete;

    // Binds values [first, first + count) to the statement's markers 1..count.
    void Bind(const OdbcStatement& stmt, size_t first, size_t count);

  private:
    struct Slot {
        SQLSMALLINT cType = SQL_C_WCHAR;
        SQLSMALLINT sqlType = SQL_WVARCHAR;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLPOINTER data = nullptr;
        SQLLEN length = 0;
        SQLLEN indicator = 0;
    };

    std::vector<Slot> slots_;
    // Stable storage the bound pointers point into.
    std::deque<std::basic_string<SQLWCHAR>> texts_;
    std::deque<std::string> narrowTexts_;
    std::deque<int64_t> integers_;
    std::deque<double> doubles_;
    std::deque<SQL_TIMESTAMP_STRUCT> stamps_;
};

}  // namespace norvik::db
