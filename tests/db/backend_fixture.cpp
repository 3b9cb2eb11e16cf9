#include "backend_fixture.h"

#include <unistd.h>

#include "common/vb_convert.h"

namespace norvik::db::test {

void BackendTest::SetUp() {
    NORVIK_REQUIRE_BACKEND(GetParam());
    std::string pattern = (std::filesystem::temp_directory_path() / "norvik-db-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    db_ = Connection::Open(database_.Create(GetParam(), folder_.string()));
}

void BackendTest::TearDown() {
    db_.reset();
    database_.Drop();
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
}

std::string Describe(const Value& value) {
    return std::to_string(value.index()) + ":" + ToText(value);
}

bool SameValue(const Value& a, const Value& b) {
    if (std::holds_alternative<Decimal>(a) && std::holds_alternative<Decimal>(b))
        return ToText(a) == ToText(b);
    return a == b;
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendTest, ::testing::ValuesIn(::norvik::test::AllBackends()),
                         ::norvik::test::BackendName);

}  // namespace norvik::db::test
