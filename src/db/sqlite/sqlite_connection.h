#pragma once
// A connection to an SQLite database file ("sqlite:PATH").

#include <memory>
#include <string>

#include "db/connection.h"
#include "db/sqlite/sqlite_database.h"

namespace norvik::db {

class SqliteConnection final : public Connection {
  public:
    // Opens or creates the file named after "sqlite:" in the URL.
    explicit SqliteConnection(const std::string& url);

    const std::string& Url() const override { return url_; }
    int64_t Execute(const std::string& sql, const std::vector<Value>& params = {}) override;
    std::unique_ptr<RecordSet> OpenRecordSet(const std::string& sql,
                                             const std::vector<Value>& params = {},
                                             RowCount count = RowCount::Counted) override;
    std::string Dialect() const override { return "sqlite"; }
    std::string DatabaseFile() const override;

  private:
    std::string url_;
    std::shared_ptr<SqliteDatabase> db_;
};

}  // namespace norvik::db
