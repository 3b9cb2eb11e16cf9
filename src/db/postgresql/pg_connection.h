#pragma once
// A connection to a PostgreSQL database ("postgresql://…" as libpq takes it).

#include <memory>
#include <string>

#include "db/connection.h"
#include "db/postgresql/pg_database.h"

namespace norvik::db {

class PgConnection final : public Connection {
  public:
    // Connects with the URL.
    explicit PgConnection(const std::string& url);

    const std::string& Url() const override { return url_; }
    int64_t Execute(const std::string& sql, const std::vector<Value>& params = {}) override;
    std::unique_ptr<RecordSet> OpenRecordSet(const std::string& sql,
                                             const std::vector<Value>& params = {},
                                             RowCount count = RowCount::Counted) override;
    std::string Dialect() const override { return "postgresql"; }

  private:
    std::string url_;
    std::shared_ptr<PgDatabase> db_;
};

}  // namespace norvik::db
