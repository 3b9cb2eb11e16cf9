#pragma once
// A definition as readable text, for the show command.

#include <string>

#include "definition/tq_model.h"

namespace norvik::standalone {

// The general values, parameters, criteria, records and fields of a definition, one item a line.
std::string DescribeDefinition(const TQExportDef& def);

}  // namespace norvik::standalone
