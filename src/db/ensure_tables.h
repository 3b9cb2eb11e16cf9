#pragma once
// The component's own tables in the host database, created once when missing.

#include <string>
#include <vector>

#include "db/connection.h"

namespace norvik::db {

// Runs the create statements ("CREATE TABLE IF NOT EXISTS name (…)", each completed by
// OwnTableOptions) only when the table cannot be read: a role that may read and write the tables
// but not create any (PostgreSQL 15 on "public") then still works.
void EnsureTables(Connection& connection, const std::string& table,
                  const std::vector<std::string>& creates);

// What a create statement of the component's tables ends with on the connection's database: on
// MariaDB and MySQL texts in utf8mb4 compared byte for byte, so that keys differing in case,
// accents or characters outside the server's default set stay apart as on SQLite and PostgreSQL;
// nothing elsewhere.
std::string OwnTableOptions(const Connection& connection);

}  // namespace norvik::db
