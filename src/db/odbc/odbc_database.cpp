#include "db/odbc/odbc_database.h"

#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

#include "db/db_error.h"
#include "db/odbc/odbc_connection_string.h"
#include "db/odbc/odbc_text.h"
#include "db/odbc/odbc_timestamps.h"
#include "db/secret_text.h"
#include "db/statement_rewrite.h"

namespace norvik::db {
namespace {

// What a driver that buffers whole results by default needs in order to stream, as connection
// string keys; each is added unless the connection string sets it (values in braces included).
struct DriverDefault {
    std::string_view driver;  // a part of the driver's file name
    std::string_view key;
    std::string_view setting;  // "key=value"
    std::string_view alias;    // another spelling of the key, or empty
};
constexpr DriverDefault kDriverDefaults[] = {
    // psqlODBC reads through a cursor, a thousand rows per round trip, instead of the whole
    // result at once.
    {"psqlodbc", "UseDeclareFetch", "UseDeclareFetch=1", ""},
    {"psqlodbc", "Fetch", "Fetch=1000", ""},
    // MariaDB Connector/ODBC's option bit "do not cache the result" (from 3.1.17 on; it streams
    // forward-only cursors, which the export reads with).
    {"maodbc", "OPTION", "OPTION=1048576", "OPTIONS"},
};

// psqlODBC's rows per round trip under the connection string: it reads through a cursor only
// with UseDeclareFetch=1, then Fetch rows at a time (100 when not set).
size_t CursorFetchRowsOf(std::string_view driver, std::string_view connection) {
    if (driver.find("psqlodbc") == std::string_view::npos) return 0;
    const std::optional<std::string_view> declare = KeyValue(connection, "UseDeclareFetch");
    if (!declare || *declare != "1") return 0;
    const std::optional<std::string_view> fetch = KeyValue(connection, "Fetch");
    if (!fetch) return 100;
    size_t rows = 0;
    const auto [end, error] = std::from_chars(fetch->data(), fetch->data() + fetch->size(), rows);
    return error == std::errc() && end == fetch->data() + fetch->size() ? rows : 0;
}

std::string InfoText(SQLHDBC dbc, SQLUSMALLINT item) {
    SQLWCHAR buffer[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, item, buffer, sizeof buffer, &length))) return "";
    return FromOdbcText(buffer);
}

SQLUINTEGER InfoMask(SQLHDBC dbc, SQLUSMALLINT item) {
    SQLUINTEGER mask = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, item, &mask, sizeof mask, nullptr))) return 0;
    return mask;
}

OdbcDbms DbmsOf(std::string_view name) {
    if (name.starts_with("SQLite")) return OdbcDbms::kSqlite;
    if (name.starts_with("PostgreSQL")) return OdbcDbms::kPostgres;
    if (name.starts_with("MariaDB") || name.starts_with("MySQL")) return OdbcDbms::kMariaDb;
    return OdbcDbms::kOther;
}

// Appends the driver's defaults the connection string leaves unset; true when it appended one.
bool AddDriverDefaults(std::string& connection, std::string_view driver) {
    bool added = false;
    for (const DriverDefault& d : kDriverDefaults) {
        if (driver.find(d.driver) == std::string_view::npos) continue;
        if (KeyValue(connection, d.key) || (!d.alias.empty() && KeyValue(connection, d.alias)))
            continue;
        if (!connection.empty() && connection.back() != ';') connection += ';';
        connection.append(d.setting);
        added = true;
    }
    return added;
}

}  // namespace

OdbcDatabase::OdbcDatabase(const std::string& connectionString) : connection_(connectionString) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)))
        ThrowDatabaseError("Der ODBC-Treibermanager ist nicht verfügbar");
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
        ThrowDatabaseError("Der ODBC-Treibermanager ist nicht verfügbar");
    }
    try {
        // Each connect costs the server a session (and a remote one a handshake): the defaults
        // go into the first where the connection string names the driver.
        std::string amended = connectionString;
        AddDriverDefaults(amended, DriverLibraryOf(connectionString));
        Connect(amended);
        const std::string driver = InfoText(dbc_, SQL_DRIVER_NAME);
        if (AddDriverDefaults(amended, driver)) {
            Disconnect();
            Connect(amended);
        }
        cursorFetchRows_ = CursorFetchRowsOf(driver, amended);
        Prepare();
    } catch (...) {
        Disconnect();
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
        throw;
    }
}

OdbcDatabase::~OdbcDatabase() {
    Disconnect();
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

void OdbcDatabase::Connect(const std::string& connectionString) {
    std::basic_string<SQLWCHAR> text = ToOdbcText(connectionString);
    SQLSetConnectAttrW(dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
    const SQLRETURN rc =
        SQLDriverConnectW(dbc_, nullptr, text.data(), static_cast<SQLSMALLINT>(text.size()),
                          nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    Check(rc, SQL_HANDLE_DBC, dbc_);
    connected_ = true;
}

void OdbcDatabase::Disconnect() noexcept {
    if (connected_) SQLDisconnect(dbc_);
    connected_ = false;
}

void OdbcDatabase::Prepare() {
    dbms_ = DbmsOf(InfoText(dbc_, SQL_DBMS_NAME));
    // SQLite's driver names the database file, which an export must not overwrite.
    if (dbms_ == OdbcDbms::kSqlite) {
        databaseFile_ = InfoText(dbc_, SQL_DATABASE_NAME);
        protected_ = std::make_unique<ProtectedFile>(databaseFile_);
    }
    // MariaDB Connector/ODBC claims SQL_GD_BLOCK, but after SQLSetPos on a streamed result its
    // SQLGetData reads another row than the one positioned on.
    getDataInBlocks_ = dbms_ != OdbcDbms::kMariaDb &&
                       (InfoMask(dbc_, SQL_GETDATA_EXTENSIONS) & (SQL_GD_BLOCK | SQL_GD_BOUND)) ==
                           (SQL_GD_BLOCK | SQL_GD_BOUND);
    // A snapshot for the count and the rows read after it; SQLite's transactions are one already.
    if (InfoMask(dbc_, SQL_TXN_ISOLATION_OPTION) & SQL_TXN_REPEATABLE_READ)
        SQLSetConnectAttrW(dbc_, SQL_ATTR_TXN_ISOLATION,
                           reinterpret_cast<SQLPOINTER>(SQL_TXN_REPEATABLE_READ), 0);
    narrow_ = dbms_ == OdbcDbms::kSqlite || RefusesWideParameters();
    utf8Results_ = NarrowTexts() || ResultTextsStayUtf8();
    zeroDatesFilled_ = dbms_ == OdbcDbms::kMariaDb && FillsZeroDates();
    if (dbms_ == OdbcDbms::kSqlite) {
        // As the native back end: the host services write through their own connection while a
        // record set reads.
        OdbcStatement wal(*this);
        std::basic_string<SQLWCHAR> pragma = ToOdbcText("PRAGMA journal_mode=WAL");
        SQLExecDirectW(wal.Get(), pragma.data(), static_cast<SQLINTEGER>(pragma.size()));
    }
}

bool OdbcDatabase::ResultTextsStayUtf8() const {
    // Letters of two, three and four bytes: a driver that converts to a locale's character set,
    // or to UTF-16 and back, changes at least one of them.
    static constexpr std::string_view kProbe = "\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80";
    OdbcStatement probe(*this);
    std::basic_string<SQLWCHAR> sql = ToOdbcText("SELECT '" + std::string(kProbe) + "'");
    char text[64] = {};
    SQLLEN length = 0;
    return SQL_SUCCEEDED(
               SQLExecDirectW(probe.Get(), sql.data(), static_cast<SQLINTEGER>(sql.size()))) &&
           SQL_SUCCEEDED(SQLFetch(probe.Get())) &&
           SQL_SUCCEEDED(SQLGetData(probe.Get(), 1, SQL_C_CHAR, text, sizeof text, &length)) &&
           std::string_view(text, length > 0 ? static_cast<size_t>(length) : 0) == kProbe;
}

bool OdbcDatabase::RefusesWideParameters() const {
    // Both forms are tried, so a driver that cannot run the probe at all stays on the wide calls.
    const auto takes = [this](SQLSMALLINT cType, SQLSMALLINT sqlType, SQLPOINTER data,
                              SQLLEN bytes) {
        OdbcStatement probe(*this);
        std::basic_string<SQLWCHAR> sql = ToOdbcText("SELECT ?");
        SQLLEN indicator = bytes;
        return SQL_SUCCEEDED(SQLBindParameter(probe.Get(), 1, SQL_PARAM_INPUT, cType, sqlType, 1, 0,
                                              data, bytes, &indicator)) &&
               SQL_SUCCEEDED(
                   SQLExecDirectW(probe.Get(), sql.data(), static_cast<SQLINTEGER>(sql.size())));
    };
    SQLWCHAR wide[] = {'1', 0};
    char narrow[] = "1";
    return !takes(SQL_C_WCHAR, SQL_WVARCHAR, wide, sizeof(SQLWCHAR)) &&
           takes(SQL_C_CHAR, SQL_VARCHAR, narrow, 1);
}

bool OdbcDatabase::FillsZeroDates() const {
    OdbcStatement probe(*this);
    std::basic_string<SQLWCHAR> sql =
        ToOdbcText("SELECT CAST(0 AS DATETIME) UNION ALL SELECT NULL");
    SQL_TIMESTAMP_STRUCT values[2];
    MarkUnfetched(reinterpret_cast<char*>(values), 2);
    const SQL_TIMESTAMP_STRUCT untouched = values[1];
    SQLLEN lengths[2] = {};
    SQLULEN fetched = 0;
    return SQL_SUCCEEDED(SQLSetStmtAttrW(probe.Get(), SQL_ATTR_ROW_ARRAY_SIZE,
                                         reinterpret_cast<SQLPOINTER>(2), 0)) &&
           SQL_SUCCEEDED(SQLSetStmtAttrW(probe.Get(), SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0)) &&
           SQL_SUCCEEDED(
               SQLExecDirectW(probe.Get(), sql.data(), static_cast<SQLINTEGER>(sql.size()))) &&
           SQL_SUCCEEDED(SQLBindCol(probe.Get(), 1, SQL_C_TYPE_TIMESTAMP, values, sizeof values[0],
                                    lengths)) &&
           SQL_SUCCEEDED(SQLFetch(probe.Get())) && fetched == 2 && lengths[0] == SQL_NULL_DATA &&
           IsZeroFilled(reinterpret_cast<const char*>(&values[0])) && lengths[1] == SQL_NULL_DATA &&
           std::memcmp(&values[1], &untouched, sizeof untouched) == 0;
}

void OdbcDatabase::Fail(SQLSMALLINT handleType, SQLHANDLE handle) const {
    std::string message;
    SQLWCHAR state[6] = {};
    SQLWCHAR text[2048] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT record = 1;
         SQL_SUCCEEDED(SQLGetDiagRecW(handleType, handle, record, state, &native, text,
                                      static_cast<SQLSMALLINT>(std::size(text)), &length));
         ++record) {
        const std::string line = FromOdbcText(text);
        if (line.empty() || message.find(line) != std::string::npos) continue;
        if (!message.empty()) message += '\n';
        message += line;
    }
    ThrowDatabaseError(RedactSecrets(message, connection_));
}

void OdbcDatabase::BeginRead() {
    reads_.Join(
        [&] {
            SQLULEN autocommit = SQL_AUTOCOMMIT_ON;
            SQLGetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr);
            return autocommit == SQL_AUTOCOMMIT_ON;
        },
        [&] {
            Check(SQLSetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                  SQL_HANDLE_DBC, dbc_);
        });
}

void OdbcDatabase::EndRead() noexcept {
    if (!reads_.Leave()) return;
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT)))
        SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
    SQLSetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                       0);
}

OdbcStatement::OdbcStatement(const OdbcDatabase& db) : db_(&db) {
    db.Check(SQLAllocHandle(SQL_HANDLE_STMT, db.Handle(), &stmt_), SQL_HANDLE_DBC, db.Handle());
}

OdbcStatement::~OdbcStatement() {
    SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
}

void OdbcStatement::Check(SQLRETURN rc) const {
    if (rc != SQL_NO_DATA) db_->Check(rc, SQL_HANDLE_STMT, stmt_);
}

size_t OdbcStatement::Prepare(const std::string& sql) {
    if (db_->NarrowTexts()) {
        // The SQLite driver counts a "?" inside a comment as a parameter marker.
        std::string text = WithoutComments(sql);
        Check(SQLPrepare(stmt_, reinterpret_cast<SQLCHAR*>(text.data()),
                         static_cast<SQLINTEGER>(text.size())));
    } else {
        std::basic_string<SQLWCHAR> text = ToOdbcText(sql);
        Check(SQLPrepareW(stmt_, text.data(), static_cast<SQLINTEGER>(text.size())));
    }
    SQLSMALLINT markers = 0;
    Check(SQLNumParams(stmt_, &markers));
    return static_cast<size_t>(markers);
}

void OdbcStatement::CloseCursor() noexcept {
    SQLFreeStmt(stmt_, SQL_CLOSE);
}

}  // namespace norvik::db
