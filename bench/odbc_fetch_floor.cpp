// The floor of an ODBC export: runs a statement through a driver and fetches its rows into bound
// column arrays, 500 rows a block, with the C types the export binds, and does nothing else with
// them. scripts/bench times it beside the export to show how much of the time is the driver's.
//
//   odbc-fetch-floor CONNECTION-STRING STATEMENT    prints the number of rows

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr SQLULEN kBlock = 500;

struct Column {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLLEN width = 0;
    std::vector<char> data;
    std::vector<SQLLEN> lengths;
};

bool Failed(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what) {
    if (SQL_SUCCEEDED(rc)) return false;
    SQLCHAR state[6] = {};
    SQLCHAR text[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length);
    std::fprintf(stderr, "%s: %s\n", what, reinterpret_cast<const char*>(text));
    return true;
}

Column Describe(SQLHSTMT stmt, SQLUSMALLINT index) {
    SQLSMALLINT type = 0, digits = 0, nullable = 0, nameLength = 0;
    SQLULEN size = 0;
    SQLCHAR name[256];
    SQLDescribeCol(stmt, index, name, sizeof name, &nameLength, &type, &size, &digits, &nullable);
    Column column;
    switch (type) {
        case SQL_INTEGER:
        case SQL_SMALLINT:
        case SQL_TINYINT:
        case SQL_BIGINT:
            column.cType = SQL_C_SBIGINT;
            column.width = sizeof(SQLBIGINT);
            break;
        case SQL_TYPE_DATE:
            column.cType = SQL_C_TYPE_DATE;
            column.width = sizeof(SQL_DATE_STRUCT);
            break;
        case SQL_TYPE_TIMESTAMP:
            column.cType = SQL_C_TYPE_TIMESTAMP;
            column.width = sizeof(SQL_TIMESTAMP_STRUCT);
            break;
        default:
            column.width =
                static_cast<SQLLEN>(std::min<SQLULEN>(size == 0 ? 255 : size, 255) * 4 + 1);
            break;
    }
    column.data.resize(static_cast<size_t>(column.width) * kBlock);
    column.lengths.resize(kBlock);
    return column;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: odbc-fetch-floor VERBINDUNG ANWEISUNG\n");
        return 2;
    }
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string connection = argv[1];
    if (Failed(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(connection.data()),
                                SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
               SQL_HANDLE_DBC, dbc, "Verbindung"))
        return 1;
    // As the export reads: in a transaction of its own.
    SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                      0);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    std::string statement = argv[2];
    if (Failed(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(statement.data()), SQL_NTS),
               SQL_HANDLE_STMT, stmt, "Anweisung"))
        return 1;
    SQLSMALLINT count = 0;
    SQLNumResultCols(stmt, &count);
    std::vector<Column> columns;
    for (SQLUSMALLINT i = 1; i <= count; ++i) columns.push_back(Describe(stmt, i));
    SQLULEN fetched = 0;
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, SQL_BIND_BY_COLUMN, 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kBlock), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    for (SQLUSMALLINT i = 0; i < count; ++i)
        SQLBindCol(stmt, static_cast<SQLUSMALLINT>(i + 1), columns[i].cType, columns[i].data.data(),
                   columns[i].width, columns[i].lengths.data());
    unsigned long long rows = 0;
    SQLRETURN rc;
    while (SQL_SUCCEEDED(rc = SQLFetchScroll(stmt, SQL_FETCH_NEXT, 0))) rows += fetched;
    if (rc != SQL_NO_DATA && Failed(rc, SQL_HANDLE_STMT, stmt, "Zeilen")) return 1;
    std::printf("%llu\n", rows);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return 0;
}
