#include "backend_fixture.h"

#include <unistd.h>

#include <sstream>

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

bool SameValue(const Value& a, const Value& b) {
    if (std::holds_alternative<Decimal>(a) && std::holds_alternative<Decimal>(b))
        return ToText(a) == ToText(b);
    return a == b;
}

bool Applies(const std::string& spec, const std::string& backend) {
    bool positive = false, named = false;
    std::istringstream tokens(spec);
    for (std::string token; std::getline(tokens, token, ',');) {
        if (token == "!" + backend) return false;
        if (token.starts_with('!')) continue;
        positive = true;
        named = named || token == "all" || token == backend ||
                (token == "odbc" && ::norvik::test::IsOdbc(backend));
    }
    return named || !positive;
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendTest, ::testing::ValuesIn(::norvik::test::AllBackends()),
                         ::norvik::test::BackendName);

}  // namespace norvik::db::test
