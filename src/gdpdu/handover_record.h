#pragma once
// The handover record of a packed medium (Uebergabeprotokoll.txt): who supplies which period, the
// tables with their rows and the sums of their numeric columns, the files with their sizes, the
// program and what its check found. Its bytes depend only on these facts, never on the time.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gdpdu/medium_totals.h"

namespace norvik {

// What the record says.
struct HandoverFacts {
    std::string supplier;                                 // DataSupplier Name
    std::string location;                                 // DataSupplier Location
    std::string period;                                   // "01.01.2026 bis 31.12.2026"
    std::string program;                                  // "NorvikExport 0.1"
    std::vector<TableTotal> tables;                       // in Index.xml's order
    std::vector<std::pair<std::string, uint64_t>> files;  // name, bytes; in the package's order
    std::vector<std::string> check;                       // the finding lines and the summary
};

// The record as Windows-1252 text with CR LF, the form the medium's ANSI files have; a character
// the code page lacks is written as "?".
std::string HandoverRecordBytes(const HandoverFacts& facts);

}  // namespace norvik
