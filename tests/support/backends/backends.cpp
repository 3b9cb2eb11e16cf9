#include "support/backends/backends.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "common/ascii.h"
#include "db/connection.h"

namespace norvik::test {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A name no other test process uses at the same time.
std::string PrivateName() {
    static std::atomic<int> counter{0};
    return "norvik_t" + std::to_string(::getpid()) + "_" +
           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 100000) +
           "_" + std::to_string(++counter);
}

// The connection string with `key` set to `value` (an earlier setting of the key removed).
std::string WithKey(const std::string& connection, const std::string& key,
                    const std::string& value) {
    std::string out;
    std::istringstream pairs(connection);
    for (std::string pair; std::getline(pairs, pair, ';');)
        if (!pair.empty() && !AsciiEqualsIgnoreCase(pair.substr(0, pair.find('=')), key))
            out += pair + ";";
    return out + key + "=" + value;
}

// The ODBC form of the test server's libpq URL.
std::string OdbcPostgres(const std::string& url, const std::string& backend) {
    std::map<std::string, std::string> part{{"port", "5432"}, {"dbname", "postgres"}};
    PQconninfoOption* options = PQconninfoParse(url.c_str(), nullptr);
    for (const PQconninfoOption* o = options; o && o->keyword; ++o)
        if (o->val && *o->val) part[o->keyword] = o->val;
    PQconninfoFree(options);
    return "odbc:DRIVER=" + OdbcDriver(backend) + ";SERVER=" + part["host"] +
           ";PORT=" + part["port"] + ";DATABASE=" + part["dbname"] + ";UID=" + part["user"] +
           (part["password"].empty() ? "" : ";PWD=" + part["password"]);
}

}  // namespace

std::vector<std::string> AllBackends() {
    return {"sqlite", "postgresql", "odbc-sqlite", "odbc-postgresql", "odbc-mariadb"};
}

bool IsOdbc(const std::string& backend) {
    return backend.starts_with("odbc-");
}

std::string SqlOf(const std::string& backend) {
    if (backend == "odbc-postgresql-ansi") return "postgresql";
    return IsOdbc(backend) ? backend.substr(5) : backend;
}

std::string SqlTextOf(const std::string& backend, const std::string& expression) {
    return "CAST(" + expression + (SqlOf(backend) == "mariadb" ? " AS CHAR)" : " AS TEXT)");
}

std::string OdbcDriver(const std::string& backend) {
    const std::string folder = NORVIK_ODBC_DRIVER_DIR;
    if (backend == "odbc-sqlite") return folder + "/libsqlite3odbc.so";
    if (backend == "odbc-postgresql") return folder + "/psqlodbcw.so";
    if (backend == "odbc-postgresql-ansi") return folder + "/psqlodbca.so";
    return folder + "/libmaodbc.so";
}

std::string MissingBackend(const std::string& backend) {
    if (backend == "sqlite") return "";
    if (IsOdbc(backend) && !std::filesystem::exists(OdbcDriver(backend)))
        return "no ODBC driver " + OdbcDriver(backend) + " (scripts/install-deps installs it)";
    if (SqlOf(backend) == "postgresql" && Env("NORVIK_TEST_PG_URL").empty())
        return "NORVIK_TEST_PG_URL is not set (scripts/pg-throwaway start DIR prints one)";
    if (backend == "odbc-mariadb" && Env("NORVIK_TEST_MARIADB_URL").empty())
        return "NORVIK_TEST_MARIADB_URL is not set (scripts/mariadb-throwaway start DIR prints "
               "one)";
    return "";
}

bool BackendRequired(const std::string& backend) {
    if (IsOdbc(backend) && !Env("NORVIK_REQUIRE_ODBC").empty()) return true;
    return SqlOf(backend) == "postgresql" && !Env("NORVIK_REQUIRE_PG").empty();
}

TestDatabase::~TestDatabase() {
    try {
        Drop();
    } catch (...) {
    }
}

std::string TestDatabase::Create(const std::string& backend, const std::string& folder) {
    const std::string file = (std::filesystem::path(folder) / "host.sqlite").string();
    if (backend == "sqlite") return "sqlite:" + file;
    if (backend == "odbc-sqlite") return "odbc:DRIVER=" + OdbcDriver(backend) + ";Database=" + file;
    const std::string name = PrivateName();
    if (SqlOf(backend) == "postgresql") {
        // Parallel test processes each get a schema of their own; the URL carries it to Reopen().
        const std::string url = Env("NORVIK_TEST_PG_URL");
        adminUrl_ = url;
        db::Connection::Open(adminUrl_)->Execute("CREATE SCHEMA " + name);
        dropStatement_ = "DROP SCHEMA IF EXISTS " + name + " CASCADE";
        if (IsOdbc(backend))
            return OdbcPostgres(url, backend) + ";ConnSettings={SET search_path TO " + name + "}";
        return url + (url.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" +
               name;
    }
    adminUrl_ = Env("NORVIK_TEST_MARIADB_URL");
    db::Connection::Open(adminUrl_)->Execute("CREATE DATABASE " + name + " CHARACTER SET utf8mb4");
    dropStatement_ = "DROP DATABASE IF EXISTS " + name;
    return WithKey(adminUrl_, "DATABASE", name);
}

void TestDatabase::Drop() {
    if (dropStatement_.empty()) return;
    const std::string statement = std::exchange(dropStatement_, "");
    db::Connection::Open(adminUrl_)->Execute(statement);
}

}  // namespace norvik::test
