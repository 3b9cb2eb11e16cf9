// Each folder under golden/media is one medium: fixture.sql, the definitions (*.EXP, UTF-8),
// profile.gdu and, under expected/, every file the medium must hold besides the DTD, as UTF-8
// with LF; where there is one, Uebergabeprotokoll.txt is the record of its handover package
// ("@VERSION@" for the program's version). Each is built and packed on every back end (SQLite
// and PostgreSQL natively and through ODBC, MariaDB through ODBC), compared byte for byte and
// checked, the folder and the package.

#include <algorithm>
#include <filesystem>

#include "check/handover_check.h"
#include "medium_fixture.h"
#include "packages.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

fs::path CaseFolder(const std::string& name) {
    return fs::path(NORVIK_SOURCE_DIR) / "tests" / "gdpdu" / "golden" / "media" / name;
}

// The names in a folder, sorted; only its folders' names where asked.
std::vector<std::string> SortedNames(const fs::path& folder, bool folders = false) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (!folders || entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The statements of a fixture, each ending with ";" at the end of a line (a text may run over
// lines).
std::vector<std::string> Statements(const std::string& text) {
    std::vector<std::string> statements;
    for (size_t at = 0, end; (end = text.find(";\n", at)) != std::string::npos; at = end + 2)
        statements.push_back(text.substr(at, end - at));
    return statements;
}

// A medium of golden/media on a back end, by the parameter "BACKEND/CASE".
class GoldenMediumTest : public MediumTest {};

TEST_P(GoldenMediumTest, BuildsTheExpectedMediumWithoutFindings) {
    ASSERT_TRUE(ProvideDtd());
    const fs::path folder = CaseFolder(GetParam().substr(GetParam().find('/') + 1));
    for (const std::string& statement : Statements(ReadBytes((folder / "fixture.sql").string())))
        Sql(statement);
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".EXP")
            WriteBytes(home.file("data/" + entry.path().filename().string()),
                       DefinitionBytes(ReadBytes(entry.path().string())));
    LoadProfile(ReadBytes((folder / "profile.gdu").string()));
    gdpdu.HandoverZip = true;

    gdpdu.BuildGDPdU();

    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    EXPECT_NE(
        std::find(protocol->begin(), protocol->end(), "line:Datenträger geprüft: keine Befunde."),
        protocol->end());
    std::vector<std::string> expected = SortedNames(folder / "expected");
    for (const std::string& name : expected)
        EXPECT_EQ(ReadBytes(MediumFile(name)),
                  DefinitionBytes(ReadBytes((folder / "expected" / name).string())))
            << name;
    expected.push_back(kGdpduDtdName);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedNames(medium), expected);

    // The package: the medium at its top level, Index.xml and the DTD first, then its record and
    // sums; what is unpacked is what the folder holds, and it checks as cleanly.
    std::vector<std::string> order = {kIndexFileName, kGdpduDtdName};
    for (const std::string& name : expected)
        if (name != kIndexFileName && name != kGdpduDtdName) order.push_back(name);
    order.insert(order.end(), {kHandoverRecordName, kHashListName});
    std::vector<std::string> packed;
    for (const ZipEntry& entry : ZipEntries(medium + ".zip")) {
        packed.push_back(entry.name);
        if (fs::exists(MediumFile(entry.name))) {
            EXPECT_EQ(entry.bytes, ReadBytes(MediumFile(entry.name))) << entry.name;
        }
        if (entry.name == kHandoverRecordName && fs::exists(folder / kHandoverRecordName)) {
            std::string record = ReadBytes((folder / kHandoverRecordName).string());
            record.replace(record.find("@VERSION@"), 9, NORVIK_VERSION);
            EXPECT_EQ(entry.bytes, DefinitionBytes(record));
        }
    }
    EXPECT_EQ(packed, order);
    HandoverCheckOptions zipOptions;
    zipOptions.medium.publishedDtd = PublishedDtd();
    std::string findings;
    for (const MediumFinding& finding : CheckHandoverZip(medium + ".zip", zipOptions))
        findings += FindingLine(finding) + "\n";
    EXPECT_EQ(findings, "");
}

std::vector<std::string> Params() {
    std::vector<std::string> params;
    for (const char* backend :
         {"sqlite", "postgres", "odbc-sqlite", "odbc-postgresql", "odbc-mariadb"})
        for (const std::string& name : SortedNames(CaseFolder(""), true))
            params.push_back(backend + ("/" + name));
    return params;
}

INSTANTIATE_TEST_SUITE_P(Media, GoldenMediumTest, ::testing::ValuesIn(Params()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) { return c == '-' || c == '/'; }, '_');
                             return name;
                         });

}  // namespace
}  // namespace norvik::test
