#pragma once
// How Index.xml states the form of a column's values: the decimals of a number (Accuracy) and the
// written form of a date (Format), from the field's format code and what the run wrote.

#include <cstdint>
#include <optional>
#include <string>

#include "common/vb_format.h"
#include "definition/tq_model.h"
#include "engine/written_lines.h"

namespace norvik {

// The decimals every number formatted with it shows, when all its number sections (positive,
// negative, zero) show the same fixed count ("0.00", "#,##0.00", "Standard"); else nullopt.
std::optional<int32_t> FixedDecimals(const CompiledFormat& format);
// Accuracy of a number field: the decimals its Format fixes or the most it wrote, the larger.
int32_t NumberAccuracy(const TQField& field, const WrittenField& written);
// Format of a date field as written in a file of the definition, in the index's placeholders
// (DD, MM, YYYY, YY, hh, mm, ss); empty when it is the standard's DD.MM.YYYY. A format code
// without such placeholders comes back as written, for the check to name.
std::string DateFormatOf(const TQField& field, const TQExportDef& def, const WrittenField& written,
                         bool variableLength);

}  // namespace norvik
