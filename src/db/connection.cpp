#include "db/connection.h"

#include "common/vb_error.h"
#include "db/pg_connection.h"
#include "db/sqlite_connection.h"

namespace norvik::db {
namespace {

// The URL without its password, fit to be shown in a message.
std::string WithoutPassword(const std::string& url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos) return url;
    const size_t at = url.find('@', scheme + 3);
    const size_t colon = url.find(':', scheme + 3);
    if (at == std::string::npos || colon == std::string::npos || colon > at) return url;
    return url.substr(0, colon + 1) + "***" + url.substr(at);
}

}  // namespace

std::shared_ptr<Connection> Connection::Open(const std::string& url) {
    if (url.starts_with("sqlite:") && url.size() > 7)
        return std::make_shared<SqliteConnection>(url);
    if (url.starts_with("postgresql://") || url.starts_with("postgres://"))
        return std::make_shared<PgConnection>(url);
    throw VbError(kErrInvalidArgument, "Unbekannte Datenbank-URL: " + WithoutPassword(url));
}

}  // namespace norvik::db
