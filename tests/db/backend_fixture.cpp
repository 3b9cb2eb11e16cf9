#include "backend_fixture.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "common/vb_convert.h"

namespace norvik::db::test {

void BackendTest::SetUp() {
    if (GetParam() == "sqlite") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "norvik-db-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        db_ = Connection::Open("sqlite:" + (folder_ / "host.sqlite").string());
        return;
    }
    const char* url = std::getenv("NORVIK_TEST_PG_URL");
    if (!url || !*url) {
        if (std::getenv("NORVIK_REQUIRE_PG")) FAIL() << "NORVIK_TEST_PG_URL is not set";
        GTEST_SKIP() << "NORVIK_TEST_PG_URL is not set";
    }
    // Parallel test processes each get a schema of their own; the URL carries it to Reopen().
    adminUrl_ = url;
    schema_ = "norvik_t" + std::to_string(getpid()) + "_" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000);
    Connection::Open(adminUrl_)->Execute("DROP SCHEMA IF EXISTS " + schema_ +
                                         " CASCADE; CREATE SCHEMA " + schema_);
    const char glue = adminUrl_.find('?') == std::string::npos ? '?' : '&';
    db_ = Connection::Open(adminUrl_ + glue + "options=-csearch_path%3D" + schema_);
}

void BackendTest::TearDown() {
    db_.reset();
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
    if (!schema_.empty())
        Connection::Open(adminUrl_)->Execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
}

std::string Describe(const Value& value) {
    return std::to_string(value.index()) + ":" + ToText(value);
}

bool SameValue(const Value& a, const Value& b) {
    if (std::holds_alternative<Decimal>(a) && std::holds_alternative<Decimal>(b))
        return ToText(a) == ToText(b);
    return a == b;
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

}  // namespace norvik::db::test
