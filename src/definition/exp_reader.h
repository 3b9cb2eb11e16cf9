#pragma once
// Reading an export definition file (.EXP) into the definition model.

#include <string>
#include <string_view>

#include "definition/definition_host.h"
#include "definition/tq_model.h"

namespace norvik {

// Definition files larger than this are refused.
constexpr size_t kMaxDefinitionBytes = 16 * 1024 * 1024;

// The record kind that a section line gives: "[VORLAUFSATZ]…" header, "[NACHLAUFSATZ]…" trailer;
// with numberedHeaders (AlleVorlaufsaetze) also "[VORLAUFSATZ2]", "[VORLAUFSATZ3]"… a header.
tqFieldTyp RecordKindFromSection(std::string_view sectionLine, bool numberedHeaders = false);
// True for a section line that starts a record ("[DATENSATZ…]", "[VORLAUFSATZ]…]",
// "[NACHLAUFSATZ]…]"; with numberedHeaders also "[VORLAUFSATZ2]"…).
bool IsRecordSection(std::string_view line, bool numberedHeaders = false);
// The bound column of a selection: the lookup's column for bit 64, else the column part of
// ControlSource.
std::string DeriveBoundField(const TQSelection& selection);

// Reads the file into def (a new definition), step by step; raises VbError on the first failure,
// leaving in def what was read up to it. The remembered output file, "%DataPath%" and the stored
// parameter values come from the host, which is also told of a refused parameter.
void ReadExportDefinition(const std::string& fileName, TQExportDef& def, DefinitionHost& host);

}  // namespace norvik
