#pragma once
// Runs a test against each back end: a fresh SQLite file, and a private schema on the PostgreSQL
// server.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/value.h"
#include "common/vb_error.h"
#include "db/connection.h"

namespace norvik::db::test {

class BackendTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<Connection> db_;

  private:
    std::filesystem::path folder_;
    std::string adminUrl_;
    std::string schema_;
};

// Index and text of a value, for failure messages.
std::string Describe(const Value& value);
// Equal values; decimals compare by their number, as PostgreSQL keeps the column's scale ("7.00").
bool SameValue(const Value& a, const Value& b);

// The error `call` raises, as "number: description"; "" when it raises none.
template <typename F>
std::string ErrorOf(F&& call) {
    try {
        call();
    } catch (const VbError& e) {
        return std::to_string(e.Number()) + ": " + e.Description();
    }
    return "";
}

}  // namespace norvik::db::test
