#pragma once
// How Index.xml names and describes each record layout of a definition as its last run wrote it:
// one table per layout that writes lines, each over its own lines of the shared data file.

#include <cstddef>
#include <string>

#include "definition/tq_model.h"
#include "engine/written_lines.h"
#include "gdpdu/tq_xml.h"

namespace norvik {

// True when a run writes lines of the layout: every data layout, the first header record and the
// first trailer record of the definition.
bool LayoutIsWritten(const TQExportDef& def, size_t record);
// The name of the layout's table: the first data layout keeps the table's name, further data
// layouts are "<name> Datensatz 2" and on, the header record "<name> Vorlaufsatz", the trailer
// record "<name> Nachlaufsatz".
std::string LayoutTableName(const TQExportDef& def, size_t record, const std::string& tableName);
// The layout's description: separators, character set, fixed places, its lines in the file when
// the file holds others, and the form of its values.
TableFormat DescribeLayout(const TQExportDef& def, size_t record, const WrittenFile& written);

}  // namespace norvik
