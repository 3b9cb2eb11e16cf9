#pragma once
// The database back ends the tests run on, and a private database on each for one test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvik::test {

// "sqlite", "postgresql", and through ODBC "odbc-sqlite", "odbc-postgresql", "odbc-mariadb".
std::vector<std::string> AllBackends();
// True for a back end reached through ODBC.
bool IsOdbc(const std::string& backend);
// The native back end whose SQL a back end speaks: "sqlite", "postgresql" or "mariadb".
std::string SqlOf(const std::string& backend);
// `expression` cast to text in the back end's SQL: CAST(… AS TEXT), on MariaDB CAST(… AS CHAR).
std::string SqlTextOf(const std::string& backend, const std::string& expression);
// Why a back end cannot be reached here (a server URL or driver missing), empty when it can.
std::string MissingBackend(const std::string& backend);
// True when a missing back end fails the test instead of skipping it (NORVIK_REQUIRE_PG,
// NORVIK_REQUIRE_ODBC).
bool BackendRequired(const std::string& backend);
// The ODBC driver library of a back end ("odbc-sqlite" …), in the system's ODBC folder.
std::string OdbcDriver(const std::string& backend);

// Skips (or, when the back end is required, fails) the current test when it cannot be reached.
#define NORVIK_REQUIRE_BACKEND(backend)                                       \
    do {                                                                      \
        const std::string missing_ = ::norvik::test::MissingBackend(backend); \
        if (!missing_.empty()) {                                              \
            if (::norvik::test::BackendRequired(backend)) FAIL() << missing_; \
            GTEST_SKIP() << missing_;                                         \
        }                                                                     \
    } while (0)

// A database of its own for one test: a fresh SQLite file, a schema of its own on the PostgreSQL
// server, a database of its own on the MariaDB server. Dropped by Drop() or the destructor.
class TestDatabase {
  public:
    ~TestDatabase();
    // Creates it for the back end (the SQLite file in `folder`) and returns its URL.
    std::string Create(const std::string& backend, const std::string& folder);
    // Removes the schema or database on the server.
    void Drop();

  private:
    std::string adminUrl_;
    std::string dropStatement_;
};

// The name of a test parameter, for test names.
inline std::string BackendName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

}  // namespace norvik::test
