#pragma once
// Runs a test against each back end: a fresh SQLite file, a private schema on the PostgreSQL
// server, and the same through ODBC drivers, with a private database on the MariaDB server.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/value.h"
#include "db/connection.h"
#include "support/backends/backends.h"
#include "support/cases.h"

namespace norvik::db::test {

class BackendTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<Connection> db_;

  private:
    std::filesystem::path folder_;
    ::norvik::test::TestDatabase database_;
};

// Equal values; decimals compare by their number, as PostgreSQL keeps the column's scale ("7.00").
bool SameValue(const Value& a, const Value& b);

// Whether a case is for the back end: a comma-separated list of back ends ("all"; "odbc" for
// each driver); one prefixed "!" leaves that back end out.
bool Applies(const std::string& spec, const std::string& backend);

using ::norvik::test::DescribeValue;
using ::norvik::test::RaisedBy;

}  // namespace norvik::db::test
