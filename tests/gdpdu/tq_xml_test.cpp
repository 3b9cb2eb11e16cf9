#include "gdpdu/tq_xml.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "engine/tq_export.h"
#include "host/host_messages.h"
#include "host/host_services.h"
#include "support/cases.h"
#include "support/session/definition_text.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

using test::DefinitionBytes;
using test::ReadBytes;

// Index.xml as cases/index_frame.xml frames a table's body, or without the table's lines from
// "{TABLE}" to "{BODY}".
std::string Framed(const std::string* body) {
    const std::string frame =
        ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/gdpdu/cases/index_frame.xml");
    const size_t table = frame.find("{TABLE}\n"), end = frame.find("{BODY}\n");
    const std::string inner = body ? frame.substr(table + 8, end - table - 8) + *body : "";
    return DefinitionBytes(frame.substr(0, table) + inner + frame.substr(end + 7));
}

class TQXMLTest : public test::SessionFixture {
  protected:
    // Writes a medium with one table for the record and returns the file's bytes.
    std::string Write(const TQRecord& record, const TableFormat& format = {}) {
        TQXML xml;
        xml.Pfad = dir.path().string();
        EXPECT_EQ(xml.CreateNew("Norvik GmbH", "Köln", "Kommentar"), 0);
        xml.CreateTable(record, "daten.txt", "Daten", "Alle Daten", "01.01.2020", "31.12.2020",
                        format);
        xml.WriteFooter();
        return ReadBytes(dir.file("Index.xml"));
    }
    std::string Expected(const std::string& tableBody) { return Framed(&tableBody); }

    test::TempDir dir;
};

// The cases of cases/index_tables.txt: a definition (UTF-8 lines), then the table its first record
// gives in Index.xml from the line after Validity to the table's end, and the messages written
// ("*" for any text).
TEST_F(TQXMLTest, EachDefinitionGivesItsTable) {
    for (const test::CaseBlock& c : test::ReadBlocks("gdpdu/cases/index_tables.txt")) {
        messages->calls.clear();
        test::WriteBytes(dir.file("TEST.EXP"), DefinitionBytes(c.input));
        TQExport engine(State(), Services());
        engine.LoadFile(dir.file("TEST.EXP"));
        const std::string bytes =
            Write(*engine.ExpDef->Records->Item(1), TableFormatOf(*engine.ExpDef));
        const size_t said = std::min(c.expected.find("ShowMessage: "), c.expected.find("Report"));
        EXPECT_EQ(bytes, Expected(c.expected.substr(0, said))) << c.title;
        EXPECT_TRUE(test::Matches(test::DescribeMessages(*messages),
                                  said == std::string::npos ? "" : c.expected.substr(said)))
            << c.title << "\n"
            << test::DescribeMessages(*messages);
    }
}

TEST_F(TQXMLTest, TheFileLiesInPfadUnderItsNameAndIsCompleteWhenClosed) {
    TQXML xml;
    xml.Pfad = dir.path().string();
    xml.FileName = ".Index.xml.neu";
    EXPECT_FALSE(xml.Complete());
    EXPECT_EQ(xml.CreateNew("Norvik GmbH", "Köln", "Kommentar"), 0);
    EXPECT_FALSE(xml.Complete());  // still open
    xml.WriteFooter();
    EXPECT_TRUE(xml.Complete());
    EXPECT_EQ(xml.FilePath(), dir.path().string() + "/.Index.xml.neu");
    EXPECT_EQ(ReadBytes(xml.FilePath()), Framed(nullptr));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Index.xml"));

    // A folder written with backslashes keeps them; "/" at its end is a case of the builds.
    TQXML sub;
    sub.Pfad = dir.path().string() + "\\sub";
    std::filesystem::create_directories(dir.path() / "sub");
    EXPECT_EQ(sub.CreateNew("a", "b", "c"), 0);
    sub.WriteFooter();
    EXPECT_EQ(sub.FilePath(), dir.path().string() + "\\sub\\Index.xml");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "sub" / "Index.xml"));
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(TQXMLTest, AMissingFolderFailsCreateNewWithItsNumber) {
    TQXML xml;
    xml.Pfad = dir.file("fehlt");
    EXPECT_EQ(xml.CreateNew("a", "b", "c"), 76);
    EXPECT_FALSE(xml.Complete());
    EXPECT_TRUE(
        test::Matches(test::DescribeMessages(*messages), "ReportError: TQXML.CreateNew|76|1|*"));

    // Writing on without a file: every line reports, nothing crashes.
    messages->calls.clear();
    TQRecord record;
    auto field = std::make_shared<TQField>();
    field->FeldArt = "Field";
    field->Name = "Nr";
    field->FeldTyp = "N";
    record.AddField(field);
    xml.CreateTable(record, "x.txt", "X", "", "", "");
    EXPECT_EQ(messages->calls.size(), 18u);
    for (const auto& call : messages->calls) EXPECT_EQ(call.operation, "WriteLine");
}

TEST_F(TQXMLTest, AFullDiskReportsEveryLineAndKeepsTheEarlierIndex) {
    // A file size limit fails writes as a full disk does (EFBIG instead of a signal).
    test::WriteBytes(dir.file("Index.xml"), "frueher");
    TQXML xml;
    xml.Pfad = dir.path().string();
    const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    rlimit limited = before;
    limited.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const int32_t created = xml.CreateNew("a", "b", "c");
    xml.WriteFooter();
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, ignored);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(messages->calls.size(), 13u);
    for (const auto& call : messages->calls) {
        EXPECT_EQ(call.operation, "WriteLine");
        EXPECT_EQ(call.number, 61);
    }
    EXPECT_FALSE(xml.Complete());
    EXPECT_EQ(test::ReadBytes(dir.file("Index.xml")), "frueher");
}

}  // namespace
}  // namespace norvik
