#include "check/index_reader.h"

#include <fmt/format.h>
#include <libxml/parser.h>

#include <climits>
#include <map>
#include <memory>

#include "check/index_layout.h"
#include "check/index_references.h"
#include "check/xml_entity_guard.h"
#include "check/xml_error_scope.h"
#include "check/xml_node.h"
#include "common/utf8.h"

namespace norvik {
namespace {

void Ignore(void*, xmlErrorPtr) {}

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

const std::map<std::string_view, CharacterSet> kCharsets = {
    {"ANSI", CharacterSet::Ansi},           {"OEM", CharacterSet::Oem},
    {"Macintosh", CharacterSet::Macintosh}, {"UTF8", CharacterSet::Utf8},
    {"UTF16", CharacterSet::Utf16},         {"UTF7", CharacterSet::Utf7}};

class TableReader {
  public:
    TableReader(IndexTable& table, FindingSink& sink) : table_(table), report_{sink, table} {}

    void Read(const xmlNode* node) {
        const xmlNode* layout = nullptr;
        const xmlNode* decimal = nullptr;
        const xmlNode* grouping = nullptr;
        const xmlNode* validity = nullptr;
        ForEachElement(node, [&](const xmlNode* e) {
            const std::string_view name = ElementName(e);
            if (const auto set = kCharsets.find(name); set != kCharsets.end())
                table_.charset = set->second;
            else if (name == "DecimalSymbol")
                decimal = e;
            else if (name == "DigitGroupingSymbol")
                grouping = e;
            else if (name == "SkipNumBytes")
                SkipNumBytes(e);
            else if (name == "Range")
                Range(e);
            else if (name == "Epoch")
                Epoch(e);
            else if (name == "Validity")
                validity = e;
            else if (name == "VariableLength" || name == "FixedLength")
                layout = e;
        });
        // After the Epoch, which places its two-digit years.
        if (validity) Validity(validity);
        // Its columns are still read: other tables' keys may name them.
        if (!Readable(table_.charset))
            Unusable("G308", node,
                     fmt::format("Daten im Zeichensatz {} werden nicht geprüft.",
                                 CharsetName(table_.charset)));
        if (decimal) Symbol(decimal, "Dezimalzeichen", false, table_.decimalSymbol);
        if (grouping) Symbol(grouping, "Tausendertrennzeichen", true, table_.groupingSymbol);
        if (!table_.groupingSymbol.empty() && table_.groupingSymbol == table_.decimalSymbol) {
            report_("G301", grouping ? grouping : node,
                    "Dezimalzeichen und Tausendertrennzeichen sind gleich.");
            table_.groupingSymbol.clear();
        }
        if (!layout)
            return Unusable("G308", node,
                            "Aufbau (VariableLength oder FixedLength) fehlt; Daten nicht geprüft.");
        ReadLayout(layout, table_, report_);
    }

  private:
    void Unusable(std::string_view code, const xmlNode* at, const std::string& text) {
        report_(code, at, text);
        table_.dataReadable = false;
    }

    // A number symbol in the bytes of the character set; an empty grouping symbol means none.
    void Symbol(const xmlNode* e, const char* what, bool mayBeEmpty, std::string& bytes) {
        const std::string text = ElementText(e);
        if (text.empty() && mayBeEmpty) {
            bytes.clear();
            return;
        }
        const std::optional<std::string> encoded = EncodeIn(text, table_.charset);
        if (CharCount(text) != 1 || !encoded) {
            report_("G301", e,
                    fmt::format("{} „{}“ ist kein Zeichen des Zeichensatzes {}.", what, text,
                                CharsetName(table_.charset)));
            if (mayBeEmpty) bytes.clear();
            return;
        }
        bytes = *encoded;
    }

    void SkipNumBytes(const xmlNode* e) {
        const std::optional<uint64_t> skip = ElementCount(e);
        if (!skip)
            return Unusable("G303", e,
                            "Anzahl zu überspringender Bytes (SkipNumBytes) „" + ElementText(e) +
                                "“ ist keine Zahl.");
        table_.skipBytes = *skip;
    }

    void Range(const xmlNode* range) {
        const xmlNode* fromNode = FirstElement(range, "From");
        const xmlNode* toNode = FirstElement(range, "To");
        const xmlNode* lengthNode = FirstElement(range, "Length");
        const std::optional<uint64_t> from = fromNode ? ElementCount(fromNode) : std::nullopt;
        if (!from || *from == 0)
            return Unusable("G303", range,
                            "Zeilenbereich (Range): From ist keine Zeilennummer ab 1.");
        table_.firstRecord = *from;
        if (toNode) {
            const std::optional<uint64_t> to = ElementCount(toNode);
            if (!to || *to < *from)
                return Unusable("G303", range,
                                "Zeilenbereich (Range): To ist keine Zeilennummer ab From.");
            table_.lastRecord = *to;
            table_.rangeEnds = true;
        } else if (lengthNode) {
            const std::optional<uint64_t> length = ElementCount(lengthNode);
            if (!length)
                return Unusable("G303", range,
                                "Zeilenbereich (Range): Length ist keine Anzahl von Zeilen.");
            table_.lastRecord = *from + *length - 1;
            table_.rangeEnds = true;
        }
    }

    void Epoch(const xmlNode* e) {
        const std::optional<uint64_t> epoch = ElementCount(e);
        if (!epoch || *epoch > 99)
            return report_(
                "G303", e,
                "Jahrhundertgrenze (Epoch) „" + ElementText(e) + "“ ist keine Zahl von 0 bis 99.");
        table_.epoch = static_cast<int>(*epoch);
    }

    // The period the table is valid for: its dates must match their own Format.
    void Validity(const xmlNode* validity) {
        const xmlNode* range = FirstElement(validity, "Range");
        const xmlNode* formatNode = FirstElement(validity, "Format");
        std::optional<DateFormat> format = DefaultDateFormat();
        if (formatNode) {
            std::string unknown;
            format = ParseDateFormat(ElementText(formatNode), &unknown);
            if (!format)
                return report_("G302", formatNode,
                               fmt::format("Format des Gültigkeitszeitraums „{}“ enthält „{}“; "
                                           "erlaubt sind DD, MM, YYYY, YY, hh, mm, ss und "
                                           "Trennzeichen.",
                                           ElementText(formatNode), unknown));
        }
        if (!range) return;
        std::string keys[2];
        const char* const names[2] = {"From", "To"};
        for (int i = 0; i < 2; ++i) {
            const xmlNode* e = FirstElement(range, names[i]);
            if (!e) continue;
            const std::string value = ElementText(e);
            if (CheckDate(value, *format, table_.epoch, &keys[i]) != DateCheck::Ok)
                report_("G310", e,
                        fmt::format("Gültigkeitszeitraum: „{}“ ist kein Datum im Format {}.", value,
                                    format->text));
        }
        if (!keys[0].empty() && !keys[1].empty() && keys[0] > keys[1])
            report_("G310", range, "Gültigkeitszeitraum beginnt nach seinem Ende.");
    }

    IndexTable& table_;
    DeclarationReport report_;
};

// What a producer may add beyond the tables: extensions and commands are named, never read or
// run (the files of extensions are kept in the model); a Media without tables needs
// AcceptNoTables (the standard's later version).
void ReadMediaFrame(const xmlNode* root, IndexModel& model, FindingSink& sink) {
    const auto report = [&](std::string_view code, const xmlNode* at, const std::string& text) {
        sink.Report(code, kIndexFileName, static_cast<uint64_t>(ElementLine(at)), 0, text);
    };
    const auto command = [&](const xmlNode* e, const std::string& where) {
        report("G111", e,
               fmt::format("{} nennt den Befehl „{}“; die Prüfung führt ihn nicht aus.", where,
                           ElementText(e)));
    };
    ForEachElement(root, [&](const xmlNode* e) {
        const std::string_view name = ElementName(e);
        if (name == "Extension") {
            const xmlNode* extension = FirstElement(e, "Name");
            const xmlNode* url = FirstElement(e, "URL");
            if (url) model.extensionUrls.push_back(ElementText(url));
            report(
                "G110", e,
                fmt::format("Index.xml nennt die Erweiterung „{}“ ({}); die Prüfung liest sie "
                            "nicht.",
                            extension ? ElementText(extension) : "", url ? ElementText(url) : ""));
        } else if (name == "Command") {
            command(e, "Index.xml");
        } else if (name == "Media") {
            const xmlNode* mediaName = FirstElement(e, "Name");
            const std::string shown =
                "Media „" + (mediaName ? ElementText(mediaName) : std::string()) + "“";
            bool tables = false, accepted = false;
            ForEachElement(e, [&](const xmlNode* part) {
                const std::string_view what = ElementName(part);
                tables = tables || what == "Table";
                accepted = accepted || what == "AcceptNoTables";
                if (what == "Command") command(part, shown);
            });
            // The earlier version's DTD itself refuses a Media without tables.
            if (!tables && !accepted && model.doctype != kGdpduDtdName)
                report("G109", e,
                       shown +
                           " enthält keine Tabelle; ohne AcceptNoTables ist das nicht "
                           "vorgesehen.");
        }
    });
}

std::vector<const xmlNode*> TableNodes(const xmlNode* root) {
    std::vector<const xmlNode*> tables;
    ForEachElement(root, [&](const xmlNode* media) {
        if (ElementName(media) != "Media") return;
        ForEachElement(media, [&](const xmlNode* e) {
            if (ElementName(e) == "Table") tables.push_back(e);
        });
    });
    return tables;
}

}  // namespace

std::optional<IndexModel> ReadIndex(std::string_view xml, const std::string& url,
                                    FindingSink& sink) {
    xmlInitParser();
    std::unique_ptr<xmlDoc, DocFree> doc;
    {
        XmlErrorScope scope(nullptr, Ignore);
        XmlEntityGuard guard;
        xmlParserCtxtPtr context = xmlNewParserCtxt();
        if (!context || xml.size() > INT_MAX) {
            if (context) xmlFreeParserCtxt(context);
            return std::nullopt;
        }
        guard.Attach(context);
        doc.reset(xmlCtxtReadMemory(context, xml.data(), static_cast<int>(xml.size()), url.c_str(),
                                    nullptr, XML_PARSE_NONET));
        if (!doc) {
            const xmlError* error = xmlCtxtGetLastError(context);
            std::string message = error && error->message ? error->message : "";
            while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
                message.pop_back();
            sink.Report(
                "G102", kIndexFileName, error ? static_cast<uint64_t>(error->line) : 0, 0,
                "Index.xml ist kein wohlgeformtes XML und kann nicht gelesen werden: " + message);
            xmlFreeParserCtxt(context);
            return std::nullopt;
        }
        xmlFreeParserCtxt(context);
    }

    ReportOutsideReferences(doc.get(), sink);
    IndexModel model;
    if (const xmlDtd* dtd = xmlGetIntSubset(doc.get()); dtd && dtd->SystemID)
        model.doctype = reinterpret_cast<const char*>(dtd->SystemID);
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root) return model;
    ReadMediaFrame(root, model, sink);
    const std::vector<const xmlNode*> nodes = TableNodes(root);

    std::map<std::string, size_t> uses;
    for (const xmlNode* node : nodes) {
        IndexTable table;
        table.number = model.tables.size() + 1;
        table.line = ElementLine(node);
        if (const xmlNode* url = FirstElement(node, "URL")) table.url = ElementText(url);
        const xmlNode* name = FirstElement(node, "Name");
        table.name = name ? ElementText(name) : table.url;
        ++uses[table.name];
        model.tables.push_back(std::move(table));
    }
    for (size_t i = 0; i < nodes.size(); ++i) {
        IndexTable& table = model.tables[i];
        table.label = "Tabelle " + table.name;
        if (uses[table.name] > 1) table.label += fmt::format(" (Nr. {})", table.number);
        TableReader(table, sink).Read(nodes[i]);
    }
    return model;
}

}  // namespace norvik
