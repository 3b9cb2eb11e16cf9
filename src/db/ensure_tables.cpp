#include "db/ensure_tables.h"

#include <exception>

namespace norvik::db {

void EnsureTables(Connection& connection, const std::string& table, const std::string& create) {
    try {
        connection.OpenRecordSet("SELECT 1 FROM " + table + " WHERE 1 = 0")->Close();
        return;
    } catch (const std::exception&) {
        // Missing (or unreadable: then the create statement reports why).
    }
    connection.Execute(create);
}

}  // namespace norvik::db
