#include "check/index_layout.h"

#include <fmt/format.h>

#include <algorithm>

#include "check/xml_node.h"
#include "common/utf8.h"

namespace norvik {
namespace {

// Separators as a bookkeeper reads them in a message.
std::string Shown(std::string_view utf8) {
    std::string out;
    for (char c : utf8) {
        if (!out.empty() && (c == '\r' || c == '\n' || c == '\t')) out += ' ';
        if (c == '\r')
            out += "CR";
        else if (c == '\n')
            out += "LF";
        else if (c == '\t')
            out += "Tab";
        else
            out += c;
    }
    return "„" + out + "“";
}

// The standard's comment names the default "CRLF"; a delimiter may be given by such a name.
std::string RecordDelimiterOf(const std::string& text) {
    if (text == "CRLF") return "\r\n";
    if (text == "LF") return "\n";
    if (text == "CR") return "\r";
    return text;
}

class LayoutReader {
  public:
    LayoutReader(IndexTable& table, const DeclarationReport& report)
        : table_(table), report_(report) {}

    void Read(const xmlNode* layout) {
        table_.fixedLength = ElementName(layout) == "FixedLength";
        ForEachElement(layout, [&](const xmlNode* e) {
            const std::string_view name = ElementName(e);
            if (name == "ColumnDelimiter")
                Separator(e, ElementText(e), "Spaltentrennzeichen", false, table_.columnDelimiter);
            else if (name == "RecordDelimiter")
                Separator(e, RecordDelimiterOf(ElementText(e)), "Satztrenner", false,
                          table_.recordDelimiter);
            else if (name == "TextEncapsulator")
                Separator(e, ElementText(e), "Textbegrenzer", true, table_.textEncapsulator);
            else if (name == "Length")
                RecordLength(e);
            else if (name.ends_with("PrimaryKey") || name.ends_with("Column"))
                Column(e);
            else if (name == "ForeignKey")
                ForeignKey(e);
        });
        CheckSeparators(layout);
        if (table_.fixedLength) CheckFixedWidths(layout);
    }

  private:
    void Unusable(std::string_view code, const xmlNode* at, const std::string& text,
                  std::string_view column = {}) {
        report_(code, at, text, column);
        table_.dataReadable = false;
    }

    // A separator in the bytes of the character set, of one character or more; an empty text
    // encapsulator means none.
    void Separator(const xmlNode* e, const std::string& text, const char* what, bool mayBeEmpty,
                   std::string& bytes) {
        if (text.empty()) {
            if (mayBeEmpty) {
                bytes.clear();
                return;
            }
            return Unusable("G301", e, fmt::format("{} ist leer.", what));
        }
        const std::optional<std::string> encoded = EncodeIn(text, table_.charset);
        if (!encoded)
            return Unusable("G301", e,
                            fmt::format("{} {} gibt es im Zeichensatz {} nicht.", what, Shown(text),
                                        CharsetName(table_.charset)));
        bytes = *encoded;
    }

    void RecordLength(const xmlNode* e) {
        const std::optional<uint64_t> length = ElementCount(e);
        if (!length || *length == 0)
            return Unusable(
                "G303", e,
                "Satzlänge (Length) muss eine Zahl ab 1 sein: „" + ElementText(e) + "“.");
        table_.recordLength = static_cast<size_t>(*length);
    }

    void Column(const xmlNode* node) {
        IndexColumn column;
        column.line = ElementLine(node);
        column.primaryKey = ElementName(node).ends_with("PrimaryKey");
        ForEachElement(node, [&](const xmlNode* e) {
            const std::string_view name = ElementName(e);
            if (name == "Name") {
                column.name = ElementText(e);
            } else if (name == "Numeric") {
                column.type = ColumnType::Numeric;
                Accuracy(e, column);
            } else if (name == "AlphaNumeric") {
                column.type = ColumnType::AlphaNumeric;
            } else if (name == "MaxLength") {
                const std::optional<uint64_t> max = ElementCount(e);
                if (max && *max > 0)
                    column.maxLength = static_cast<size_t>(*max);
                else
                    report_("G303", e,
                            fmt::format("Spalte {}: Höchstlänge (MaxLength) „{}“ ist keine Zahl "
                                        "ab 1.",
                                        column.name, ElementText(e)),
                            column.name);
            } else if (name == "Date") {
                column.type = ColumnType::Date;
                DateFormatOf(e, column);
            } else if (name == "FixedRange") {
                FixedRange(e, column);
            }
        });
        if (std::any_of(table_.columns.begin(), table_.columns.end(),
                        [&](const IndexColumn& c) { return c.name == column.name; }))
            report_("G307", node, fmt::format("Spalte {} ist mehrfach beschrieben.", column.name),
                    column.name);
        table_.columns.push_back(std::move(column));
    }

    void Accuracy(const xmlNode* numeric, IndexColumn& column) {
        const xmlNode* e = FirstElement(numeric, "Accuracy");
        if (!e) {
            e = FirstElement(numeric, "ImpliedAccuracy");
            column.impliedAccuracy = e != nullptr;
        }
        if (!e) return;
        const std::optional<uint64_t> accuracy = ElementCount(e);
        if (accuracy && *accuracy <= 99) {
            column.accuracy = static_cast<int>(*accuracy);
            return;
        }
        column.impliedAccuracy = false;
        report_("G303", e,
                fmt::format("Spalte {}: Nachkommastellen ({}) „{}“ sind keine Zahl von 0 bis 99.",
                            column.name, ElementName(e), ElementText(e)),
                column.name);
    }

    void DateFormatOf(const xmlNode* date, IndexColumn& column) {
        const xmlNode* e = FirstElement(date, "Format");
        if (!e) {
            column.format = DefaultDateFormat();
            return;
        }
        std::string unknown;
        column.format = ParseDateFormat(ElementText(e), &unknown);
        if (!column.format)
            report_("G302", e,
                    fmt::format("Spalte {}: Datumsformat „{}“ enthält „{}“; erlaubt sind DD, MM, "
                                "YYYY, YY, hh, mm, ss und Trennzeichen.",
                                column.name, ElementText(e), unknown),
                    column.name);
    }

    void FixedRange(const xmlNode* range, IndexColumn& column) {
        const xmlNode* fromNode = FirstElement(range, "From");
        const xmlNode* toNode = FirstElement(range, "To");
        const xmlNode* lengthNode = FirstElement(range, "Length");
        const std::optional<uint64_t> from = fromNode ? ElementCount(fromNode) : std::nullopt;
        std::optional<uint64_t> width;
        if (from && *from > 0 && toNode) {
            const std::optional<uint64_t> to = ElementCount(toNode);
            if (to && *to >= *from) width = *to - *from + 1;
        } else if (from && *from > 0 && lengthNode) {
            width = ElementCount(lengthNode);
            if (width == 0u) width.reset();
        }
        if (!width)
            return Unusable("G303", range,
                            fmt::format("Spalte {}: Position (FixedRange) ist keine Spanne ab "
                                        "Zeichen 1.",
                                        column.name),
                            column.name);
        column.fixedFrom = static_cast<size_t>(*from - 1);
        column.fixedWidth = static_cast<size_t>(*width);
    }

    void ForeignKey(const xmlNode* node) {
        IndexForeignKey key;
        key.line = ElementLine(node);
        ForEachElement(node, [&](const xmlNode* e) {
            if (ElementName(e) == "Name") key.columns.push_back(ElementText(e));
            if (ElementName(e) == "References") key.references = ElementText(e);
            if (ElementName(e) == "Alias") {
                const xmlNode* from = FirstElement(e, "From");
                const xmlNode* to = FirstElement(e, "To");
                key.aliases.emplace_back(from ? ElementText(from) : "", to ? ElementText(to) : "");
            }
        });
        table_.foreignKeys.push_back(std::move(key));
    }

    void CheckSeparators(const xmlNode* layout) {
        if (table_.recordDelimiter.empty())
            return Unusable("G301", layout, "Satztrenner ist leer.");
        if (table_.fixedLength) return;
        const std::string& column = table_.columnDelimiter;
        if (column == table_.textEncapsulator)
            return Unusable("G301", layout, "Spaltentrennzeichen und Textbegrenzer sind gleich.");
        if (column == table_.recordDelimiter)
            return Unusable("G301", layout, "Spaltentrennzeichen und Satztrenner sind gleich.");
        const bool numbers =
            std::any_of(table_.columns.begin(), table_.columns.end(),
                        [](const IndexColumn& c) { return c.type == ColumnType::Numeric; });
        const bool decimals =
            std::any_of(table_.columns.begin(), table_.columns.end(), [](const IndexColumn& c) {
                return c.type == ColumnType::Numeric && c.accuracy > 0 && !c.impliedAccuracy;
            });
        if (numbers && table_.decimalSymbol == column)
            report_(decimals ? "G301" : "G312", layout,
                    decimals ? "Dezimalzeichen und Spaltentrennzeichen sind gleich; Zahlen mit "
                               "Nachkommastellen zerfallen in zwei Felder."
                             : "Dezimalzeichen und Spaltentrennzeichen sind gleich; das geht nur, "
                               "solange keine Zahl Nachkommastellen hat (hier hat keine Spalte "
                               "Accuracy), und ein Import kann es ablehnen.");
    }

    void CheckFixedWidths(const xmlNode* layout) {
        if (ReadAsUtf8(table_.charset) && table_.recordLength > 0)
            return Unusable("G308", layout,
                            fmt::format("Sätze fester Länge ohne Satztrenner in {} werden nicht "
                                        "geprüft.",
                                        CharsetName(table_.charset)));
        for (const IndexColumn& c : table_.columns)
            if (c.fixedWidth == 0 && table_.dataReadable)
                return Unusable("G303", layout,
                                fmt::format("Spalte {} hat keine Position (FixedRange).", c.name),
                                c.name);
        if (table_.recordLength == 0) return;
        for (const IndexColumn& c : table_.columns)
            if (c.fixedFrom + c.fixedWidth > table_.recordLength)
                return Unusable(
                    "G303", layout,
                    fmt::format("Spalte {} reicht bis Zeichen {}, die Satzlänge "
                                "(Length) ist {}.",
                                c.name, c.fixedFrom + c.fixedWidth, table_.recordLength),
                    c.name);
    }

    IndexTable& table_;
    const DeclarationReport& report_;
};

}  // namespace

void DeclarationReport::operator()(std::string_view code, const xmlNode* at,
                                   const std::string& text, std::string_view column) const {
    sink.Report(code, kIndexFileName, static_cast<uint64_t>(ElementLine(at)), table.number,
                table.label + ": " + text, column);
}

void ReadLayout(const xmlNode* layout, IndexTable& table, const DeclarationReport& report) {
    LayoutReader(table, report).Read(layout);
}

}  // namespace norvik
