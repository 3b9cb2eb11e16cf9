#pragma once
// A connection through an ODBC driver ("odbc:" followed by an ODBC connection string).

#include <memory>
#include <string>

#include "db/connection.h"
#include "db/odbc/odbc_database.h"

namespace norvik::db {

class OdbcConnection final : public Connection {
  public:
    // Connects with the connection string after "odbc:".
    explicit OdbcConnection(const std::string& url);

    const std::string& Url() const override { return url_; }
    int64_t Execute(const std::string& sql, const std::vector<Value>& params = {}) override;
    std::unique_ptr<RecordSet> OpenRecordSet(const std::string& sql,
                                             const std::vector<Value>& params = {},
                                             RowCount count = RowCount::Counted) override;
    // "odbc-sqlite", "odbc-postgresql", "odbc-mariadb" by the driver's database system, "odbc" for
    // any other.
    std::string Dialect() const override;
    std::string DatabaseFile() const override { return db_->DatabaseFile(); }

  private:
    std::string url_;
    std::shared_ptr<OdbcDatabase> db_;
};

}  // namespace norvik::db
