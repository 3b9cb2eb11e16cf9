#include "gdpdu/tq_xml.h"

#include <gtest/gtest.h>

#include "host/host_messages.h"
#include "host/host_services.h"
#include "support/test_support.h"

namespace norvik {
namespace {

using test::DefinitionBytes;
using test::ReadBytes;

std::shared_ptr<TQField> Field(const std::string& name, const std::string& typ,
                               const std::string& key = "", const std::string& references = "",
                               const std::string& map = "") {
    auto f = std::make_shared<TQField>();
    f->FeldArt = "Field";
    f->Name = name;
    f->FeldTyp = typ;
    f->Schlüssel = key;
    f->FremdSchlüssel = references;
    f->Map = map;
    return f;
}

TQRecord Record(std::vector<std::shared_ptr<TQField>> fields) {
    TQRecord r;
    for (auto& f : fields) r.AddField(f);
    return r;
}

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"no\"?>\n"
    "<!DOCTYPE DataSet SYSTEM \"gdpdu-01-08-2002.dtd\">\n"
    "<DataSet>\n"
    "\t<Version>1.0</Version>\n"
    "\t<DataSupplier>\n"
    "\t\t<Name>Norvik GmbH</Name>\n"
    "\t\t<Location>Köln</Location>\n"
    "\t\t<Comment>Kommentar</Comment>\n"
    "\t</DataSupplier>\n"
    "\t<Media>\n"
    "\t\t<Name>Datenträger</Name>\n";
const std::string kFooter = "\t</Media>\n</DataSet>\n";

std::string TableHeader(const std::string& url, const std::string& name, const std::string& desc) {
    return "\t\t<Table>\n\t\t\t<URL>" + url + "</URL>\n\t\t\t<Name>" + name +
           "</Name>\n\t\t\t<Description>" + desc +
           "</Description>\n\t\t\t<Validity>\n\t\t\t\t<Range>\n\t\t\t\t\t<From>01.01.2020</From>\n"
           "\t\t\t\t\t<To>31.12.2020</To>\n\t\t\t\t</Range>\n\t\t\t\t<Format>DD.MM.YYYY</Format>\n"
           "\t\t\t</Validity>\n";
}

std::string Column(const std::string& tag, const std::string& name, const std::string& inner = "") {
    return "\t\t\t\t<" + tag + ">\n\t\t\t\t\t<Name>" + name + "</Name>\n" + inner + "\t\t\t\t</" +
           tag + ">\n";
}

class TQXMLTest : public ::testing::Test {
  protected:
    void SetUp() override { Services().messages = messages; }
    void TearDown() override { Services().messages = nullptr; }

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
    std::string Expected(const std::string& tableBody) {
        return DefinitionBytes(kHeader + TableHeader("daten.txt", "Daten", "Alle Daten") +
                               tableBody + kFooter);
    }

    test::TempDir dir;
    std::shared_ptr<RecordingHostMessages> messages = std::make_shared<RecordingHostMessages>();
};

TEST_F(TQXMLTest, TheCompleteExampleFile) {
    const std::string bytes =
        Write(Record({Field("Nummer", "N", "PK"), Field("Status", "T", "", "", "A;aktiv"),
                      Field("Konto", "T", "FK", "Konten")}));
    EXPECT_EQ(
        bytes,
        Expected(
            "\t\t\t<VariableLength>\n" +
            Column("VariablePrimaryKey", "Nummer", "\t\t\t\t\t<Numeric></Numeric>\n") +
            Column("VariableColumn", "Status",
                   "\t\t\t\t\t<AlphaNumeric></AlphaNumeric>\n\t\t\t\t\t<Map>\n"
                   "\t\t\t\t\t\t<From>A</From>\n\t\t\t\t\t\t<To>aktiv</To>\n\t\t\t\t\t</Map>\n") +
            Column("VariableColumn", "Konto", "\t\t\t\t\t<AlphaNumeric></AlphaNumeric>\n") +
            "\t\t\t\t<ForeignKey>\n\t\t\t\t\t<Name>Konto</Name>\n"
            "\t\t\t\t\t<References>Konten</References>\n\t\t\t\t</ForeignKey>\n"
            "\t\t\t</VariableLength>\n\t\t</Table>\n"));
    EXPECT_NE(bytes.find("<Location>K\xf6ln</Location>\r\n"),
              std::string::npos);  // one byte, ISO-8859-1
    EXPECT_EQ(bytes.find('\''), std::string::npos);
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(TQXMLTest, FieldElementsByKeyAndType) {
    struct Case {
        std::shared_ptr<TQField> field;
        std::string element;  // the field's lines
        std::string foreignKeys;
    };
    const std::string alpha = "\t\t\t\t\t<AlphaNumeric></AlphaNumeric>\n";
    const std::vector<Case> cases = {
        {Field("Nr", "N", "pk"), Column("VariableColumn", "Nr", "\t\t\t\t\t<Numeric></Numeric>\n"),
         ""},
        {Field("Nr", "D", "PF", "Kopf"),
         Column("VariablePrimaryKey", "Nr", "\t\t\t\t\t<Date></Date>\n"),
         "\t\t\t\t<ForeignKey>\n\t\t\t\t\t<Name>Nr</Name>\n\t\t\t\t\t<References>Kopf</"
         "References>\n"
         "\t\t\t\t</ForeignKey>\n"},
        {Field("Frei", "X"), Column("VariableColumn", "Frei"), ""},
        {Field("Text", "V"), Column("VariableColumn", "Text", alpha), ""},
        {Field("Flag", "V", "", "", "J;Ja"),
         Column("VariableColumn", "Flag",
                alpha + "\t\t\t\t\t<Map>\n\t\t\t\t\t\t<From>J</From>\n\t\t\t\t\t\t<To>Ja</"
                        "To>\n\t\t\t\t\t</Map>\n"),
         ""},
        {Field("Flag", "T", "", "", "J;Ja;Zusatz"),
         Column("VariableColumn", "Flag",
                alpha + "\t\t\t\t\t<Map>\n\t\t\t\t\t\t<From>J</From>\n\t\t\t\t\t\t<To>Ja</"
                        "To>\n\t\t\t\t\t</Map>\n"),
         ""},
        {Field("A & B", "T", "", "", "<1>;x & y"),
         Column("VariableColumn", "A &amp; B",
                alpha + "\t\t\t\t\t<Map>\n\t\t\t\t\t\t<From>&lt;1&gt;</From>\n\t\t\t\t\t\t<To>x "
                        "&amp; y</To>\n"
                        "\t\t\t\t\t</Map>\n"),
         ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Write(Record({c.field})),
                  Expected("\t\t\t<VariableLength>\n" + c.element + c.foreignKeys +
                           "\t\t\t</VariableLength>\n\t\t</Table>\n"))
            << c.field->Name << " " << c.field->FeldTyp;
    }
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(TQXMLTest, MapOnANumberIsRefusedWithAMessage) {
    EXPECT_EQ(Write(Record({Field("Nr", "N", "", "", "1;eins")})),
              Expected("\t\t\t<VariableLength>\n" +
                       Column("VariableColumn", "Nr", "\t\t\t\t\t<Numeric></Numeric>\n") +
                       "\t\t\t</VariableLength>\n\t\t</Table>\n"));
    ASSERT_EQ(messages->calls.size(), 1u);
    EXPECT_EQ(messages->calls[0].kind, "ShowMessage");
    EXPECT_EQ(messages->calls[0].text, "Map ist nur für Alphanumerische Felder möglich!");
    EXPECT_EQ(messages->calls[0].style, 0);
    EXPECT_EQ(messages->calls[0].buttons, 0);
    EXPECT_FALSE(messages->calls[0].flag);
}

TEST_F(TQXMLTest, MapWithoutMeaningIsReportedAndTheFieldStillClosed) {
    EXPECT_EQ(
        Write(Record({Field("Flag", "T", "", "", "J")})),
        Expected("\t\t\t<VariableLength>\n" +
                 Column("VariableColumn", "Flag", "\t\t\t\t\t<AlphaNumeric></AlphaNumeric>\n") +
                 "\t\t\t</VariableLength>\n\t\t</Table>\n"));
    ASSERT_EQ(messages->calls.size(), 1u);
    EXPECT_EQ(messages->calls[0].kind, "ReportError");
    EXPECT_EQ(messages->calls[0].className, "TQXML");
    EXPECT_EQ(messages->calls[0].operation, "NewField");
    EXPECT_EQ(messages->calls[0].number, 9);
}

TEST_F(TQXMLTest, RecordWithoutFields) {
    EXPECT_EQ(Write(Record({})),
              Expected("\t\t\t<VariableLength>\n\t\t\t</VariableLength>\n\t\t</Table>\n"));
}

TEST_F(TQXMLTest, ALayoutOtherThanTheStandardsIsDeclared) {
    struct Case {
        TableFormat format;
        std::string beforeVariableLength;
        std::string insideFirst;
    };
    const std::vector<Case> cases = {
        {{";", "\"", ","}, "", ""},
        {{"|", "\"", ","}, "", "\t\t\t\t<ColumnDelimiter>|</ColumnDelimiter>\n"},
        {{";", "", ","}, "", "\t\t\t\t<TextEncapsulator></TextEncapsulator>\n"},
        {{";", "'", "."},
         "\t\t\t<DecimalSymbol>.</DecimalSymbol>\n\t\t\t<DigitGroupingSymbol>,</"
         "DigitGroupingSymbol>\n",
         "\t\t\t\t<TextEncapsulator>'</TextEncapsulator>\n"},
        {{"\t", "\"", "#"},
         "\t\t\t<DecimalSymbol>#</DecimalSymbol>\n\t\t\t<DigitGroupingSymbol>.</"
         "DigitGroupingSymbol>\n",
         "\t\t\t\t<ColumnDelimiter>\t</ColumnDelimiter>\n"},
        {{"&", "<", ","},
         "",
         "\t\t\t\t<ColumnDelimiter>&amp;</ColumnDelimiter>\n\t\t\t\t<TextEncapsulator>&lt;</"
         "TextEncapsulator>\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Write(Record({Field("Nr", "N", "PK")}), c.format),
                  Expected(c.beforeVariableLength + "\t\t\t<VariableLength>\n" + c.insideFirst +
                           Column("VariablePrimaryKey", "Nr", "\t\t\t\t\t<Numeric></Numeric>\n") +
                           "\t\t\t</VariableLength>\n\t\t</Table>\n"))
            << c.format.ColumnDelimiter << c.format.TextEncapsulator << c.format.DecimalSymbol;
    }
}

TEST_F(TQXMLTest, TableFormatOfADefinition) {
    TQExportDef def;
    def.Feldtrenner = "|";
    def.Texterkenner = "";
    def.Dezimaltrenner = ".";
    const TableFormat format = TableFormatOf(def);
    EXPECT_EQ(format.ColumnDelimiter, "|");
    EXPECT_EQ(format.TextEncapsulator, "");
    EXPECT_EQ(format.DecimalSymbol, ".");
}

TEST_F(TQXMLTest, TheFileLiesInPfadWhateverItsSeparator) {
    TQXML xml;
    xml.Pfad = dir.path().string() + "/";
    EXPECT_EQ(xml.CreateNew("a", "b", "c"), 0);
    xml.WriteFooter();
    EXPECT_EQ(xml.FilePath(), dir.path().string() + "//Index.xml");

    xml.Pfad = dir.path().string() + "\\sub";
    std::filesystem::create_directories(dir.path() / "sub");
    EXPECT_EQ(xml.CreateNew("a", "b", "c"), 0);
    xml.WriteFooter();
    EXPECT_EQ(xml.FilePath(), dir.path().string() + "\\sub\\Index.xml");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "sub" / "Index.xml"));
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(TQXMLTest, AnotherFileNameIsWrittenInPfadAndCompleteWhenClosed) {
    TQXML xml;
    xml.Pfad = dir.path().string();
    xml.FileName = ".Index.xml.neu";
    EXPECT_FALSE(xml.Complete());
    EXPECT_EQ(xml.CreateNew("Norvik GmbH", "Köln", "Kommentar"), 0);
    EXPECT_FALSE(xml.Complete());  // still open
    xml.WriteFooter();
    EXPECT_TRUE(xml.Complete());
    EXPECT_EQ(xml.FilePath(), dir.path().string() + "/.Index.xml.neu");
    EXPECT_EQ(ReadBytes(xml.FilePath()), DefinitionBytes(kHeader + kFooter));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Index.xml"));
}

TEST_F(TQXMLTest, AMissingFolderFailsCreateNewWithItsNumber) {
    TQXML xml;
    xml.Pfad = dir.file("fehlt");
    EXPECT_EQ(xml.CreateNew("a", "b", "c"), 76);
    EXPECT_FALSE(xml.Complete());
    ASSERT_EQ(messages->calls.size(), 1u);
    EXPECT_EQ(messages->calls[0].kind, "ReportError");
    EXPECT_EQ(messages->calls[0].className, "TQXML");
    EXPECT_EQ(messages->calls[0].operation, "CreateNew");
    EXPECT_EQ(messages->calls[0].number, 76);
    EXPECT_TRUE(messages->calls[0].flag);

    // Writing on without a file: every line reports, nothing crashes.
    messages->calls.clear();
    xml.CreateTable(Record({Field("Nr", "N")}), "x.txt", "X", "", "", "");
    EXPECT_EQ(messages->calls.size(), 18u);
    for (const auto& call : messages->calls) EXPECT_EQ(call.operation, "WriteLine");
}

TEST_F(TQXMLTest, AFullDiskReportsEveryLine) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    std::filesystem::create_symlink("/dev/full", dir.path() / "Index.xml");
    TQXML xml;
    xml.Pfad = dir.path().string();
    EXPECT_EQ(xml.CreateNew("a", "b", "c"), 0);
    EXPECT_EQ(messages->calls.size(), 11u);
    for (const auto& call : messages->calls) {
        EXPECT_EQ(call.operation, "WriteLine");
        EXPECT_EQ(call.number, 61);
    }
    xml.WriteFooter();
    EXPECT_FALSE(xml.Complete());
}

}  // namespace
}  // namespace norvik
