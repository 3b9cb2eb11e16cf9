#include "gdpdu/handover_record.h"

#include "common/count_text.h"
#include "common/text_codec.h"
#include "gdpdu/medium_names.h"

namespace norvik {
namespace {

std::string Rows(uint64_t rows) {
    return GroupedCount(static_cast<int64_t>(rows)) + (rows == 1 ? " Datensatz" : " Datensätze");
}

}  // namespace

std::string HandoverRecordBytes(const HandoverFacts& facts) {
    std::string text =
        "Übergabeprotokoll der Datenträgerüberlassung\n"
        "============================================\n\n";
    text += "Datenlieferant: " + facts.supplier + "\n";
    text += "Ort: " + facts.location + "\n";
    text += "Zeitraum: " + facts.period + "\n";
    text += "Erstellt mit: " + facts.program + "\n";
    text += "\nTabellen\n";
    for (const TableTotal& table : facts.tables) {
        text += "  " + table.name + " (" + table.url + "): " + Rows(table.rows) + "\n";
        for (const ColumnTotal& column : table.columns)
            text += "    Summe " + column.name + ": " +
                    column.sum.Text(table.decimalSymbol, table.groupingSymbol) + "\n";
    }
    text += "\nDateien\n";
    for (const auto& [name, size] : facts.files)
        text += "  " + name + ": " + GroupedCount(static_cast<int64_t>(size)) + " Bytes\n";
    text += "\nPrüfung des Datenträgers\n";
    for (const std::string& line : facts.check) text += "  " + line + "\n";
    text +=
        std::string("\nDie SHA-256-Prüfsummen aller Dateien, auch dieses Protokolls, stehen in ") +
        kHashListName + "\n(prüfbar nach dem Entpacken mit: sha256sum -c " + kHashListName + ").\n";
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return Utf8ToCp1252(crlf);
}

}  // namespace norvik
