#include "db/connection.h"

#include "common/vb_error.h"
#include "db/odbc/odbc_connection.h"
#include "db/postgresql/pg_connection.h"
#include "db/postgresql/pg_url_check.h"
#include "db/secret_text.h"
#include "db/sqlite/sqlite_connection.h"

namespace norvik::db {

std::shared_ptr<Connection> Connection::Open(const std::string& url) {
    if (url.starts_with("sqlite:") && url.size() > 7)
        return std::make_shared<SqliteConnection>(url);
    if (url.starts_with("postgresql://") || url.starts_with("postgres://")) {
        CheckPostgresUrl(url);
        return std::make_shared<PgConnection>(url);
    }
    if (url.starts_with("odbc:") && url.size() > 5) return std::make_shared<OdbcConnection>(url);
    throw VbError(kErrInvalidArgument,
                  "Unbekannte Datenbank-URL: " + RedactSecrets(url, url) +
                      ". Bitte sqlite:PFAD, postgresql://… oder odbc:VERBINDUNGSTEXT angeben.");
}

std::shared_ptr<Connection> Connection::OwnOrShared(const std::shared_ptr<Connection>& connection) {
    try {
        return connection->Reopen();
    } catch (const VbError&) {
        // Its statements then wait until the export's rows are read; a settings value or a
        // protocol line is never written in between.
        return connection;
    }
}

}  // namespace norvik::db
