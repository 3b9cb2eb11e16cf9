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

bool Applies(const std::string& spec, const std::string& backend) {
    bool positive = false, named = false;
    for (size_t start = 0; start <= spec.size();) {
        size_t end = spec.find(',', start);
        if (end == std::string::npos) end = spec.size();
        const std::string token = spec.substr(start, end - start);
        start = end + 1;
        if (token.starts_with('!')) {
            if (token.substr(1) == backend) return false;
            continue;
        }
        positive = true;
        named = named || token == "all" || token == backend ||
                (token == "odbc" && ::norvik::test::IsOdbc(backend));
    }
    return named || !positive;
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendTest, ::testing::ValuesIn(::norvik::test::AllBackends()),
                         ::norvik::test::BackendName);

}  // namespace norvik::db::test
