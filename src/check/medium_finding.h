#pragma once
// What the check of a GDPdU medium reports: one finding per problem an import would have.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/count_text.h"
#include "medium/medium_names.h"

namespace norvik {

// Errors keep a tax office's import from reading the medium as described; warnings do not; notes
// name what the check does not read or run, and count as neither.
enum class FindingSeverity { Error, Warning, Note };

// A kind of finding: its stable code, its severity and what it means.
struct FindingKind {
    const char* code;          // "G401"
    FindingSeverity severity;  // error or warning
    const char* meaning;       // one German line for the help and the tests
};

// One problem of the medium.
struct MediumFinding {
    FindingSeverity severity = FindingSeverity::Error;  // of its kind
    std::string code;                                   // the kind's code
    std::string file;       // relative to the medium folder: "Index.xml", "kunden.txt"
    uint64_t line = 0;      // 1-based line or record of the file, 0 when not bound to a line
    size_t table = 0;       // position of the table in Index.xml, 0 for the medium as a whole
    std::string tableName;  // the Name of that table; empty for the medium as a whole
    std::string column;     // the one column it concerns; empty when none or several
    std::string text;       // German, for a bookkeeper
    uint64_t count = 1;  // how many problems it stands for (more for "weitere … nicht aufgeführt")
};

// Every kind of finding, in the order of their codes.
const std::vector<FindingKind>& FindingKinds();
// The kind of a code; raises std::out_of_range for an unknown one.
const FindingKind& KindOf(std::string_view code);

// One output line: "FEHLER G401 kunden.txt:17: text" ("WARNUNG", "HINWEIS" …; the line left
// out when 0). Control characters and bytes that are no UTF-8 are written visibly ("[LF]",
// "[1B]", "[E4]"), so that a name from a medium can neither forge a line nor hide text on a
// terminal.
std::string FindingLine(const MediumFinding& finding);
// The closing line: "Datenträger geprüft: keine Befunde." or the counts of errors and warnings;
// dtd, when given and not the DTD our own media name, says which version Index.xml was read as.
std::string SummaryLine(const std::vector<MediumFinding>& findings, const std::string& dtd = {});
// The version of the description standard a published DTD file stands for ("1.5"); empty for
// any other name.
std::string DtdVersion(const std::string& dtd);
// True when a finding of severity Error is among them.
bool HasErrors(const std::vector<MediumFinding>& findings);
// True when an error or a warning is among them (notes alone leave a medium clean).
bool HasFindings(const std::vector<MediumFinding>& findings);

}  // namespace norvik
