#pragma once
// The component's own tables in the host database, created once when missing.

#include <string>

#include "db/connection.h"

namespace norvik::db {

// Runs the create statements only when the table cannot be read: a role that may read and write
// the tables but not create any (PostgreSQL 15 on "public") then still works.
void EnsureTables(Connection& connection, const std::string& table, const std::string& create);

}  // namespace norvik::db
