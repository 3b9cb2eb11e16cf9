#pragma once
// A connection to the host database: SQLite ("sqlite:PATH"), PostgreSQL ("postgresql://…") or
// a database reached through an ODBC driver ("odbc:" and a connection string).

#include <memory>
#include <string>
#include <vector>

#include "common/value.h"
#include "db/record_set.h"

namespace norvik::db {

class Connection {
  public:
    virtual ~Connection() = default;

    // Opens a connection from a URL: "sqlite:PATH" (created when missing), "postgresql://…" /
    // "postgres://…" or "odbc:CONNECTION-STRING" (unixODBC). Raises VbError (kErrDatabase with the
    // database's message, or kErrInvalidArgument for an unknown scheme).
    static std::shared_ptr<Connection> Open(const std::string& url);

    // The URL this connection was opened from.
    virtual const std::string& Url() const = 0;
    // A new, independent connection to the same database (host services write through their own).
    virtual std::shared_ptr<Connection> Reopen() const { return Open(Url()); }
    // A connection of its own for a host service, else this one shared (a role or server that
    // allows no further session).
    static std::shared_ptr<Connection> OwnOrShared(const std::shared_ptr<Connection>& connection);
    // Runs one statement without a result; "?" marks a parameter. Returns the number of rows
    // changed.
    virtual int64_t Execute(const std::string& sql, const std::vector<Value>& params = {}) = 0;
    // Opens a streaming record set on a statement inside a read transaction; "?" marks a parameter.
    virtual std::unique_ptr<RecordSet> OpenRecordSet(const std::string& sql,
                                                     const std::vector<Value>& params = {},
                                                     RowCount count = RowCount::Counted) = 0;
    // "sqlite", "postgresql", or for ODBC "odbc-" and the driver's database system.
    virtual std::string Dialect() const = 0;
    // The local file that holds the database (absolute), empty for a database server.
    virtual std::string DatabaseFile() const { return {}; }
};

}  // namespace norvik::db
