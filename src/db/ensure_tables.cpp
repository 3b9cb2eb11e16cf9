#include "db/ensure_tables.h"

#include <exception>

namespace norvik::db {

void EnsureTables(Connection& connection, const std::string& table,
                  const std::vector<std::string>& creates) {
    try {
        connection.OpenRecordSet("SELECT 1 FROM " + table + " WHERE 1 = 0")->Close();
        return;
    } catch (const std::exception&) {
        // Missing (or unreadable: then the create statement reports why).
    }
    const std::string options = OwnTableOptions(connection);
    for (const std::string& create : creates) connection.Execute(create + options);
}

std::string OwnTableOptions(const Connection& connection) {
    return connection.Dialect() == "odbc-mariadb" ? " CHARACTER SET utf8mb4 COLLATE utf8mb4_bin"
                                                  : "";
}

}  // namespace norvik::db
