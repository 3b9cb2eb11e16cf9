#pragma once
// A definition as text, one line per part, to compare what was loaded, saved or built.

#include <string>

#include "definition/tq_model.h"
#include "host/host_messages.h"

namespace norvik::test {

// Every property the file holds: "Allgemein:" with the general values in the order of the file,
// then one line per parameter, selection, record and field, their values joined by "|" (line
// breaks inside them written as "\r" and "\n").
std::string DescribeDefinition(const TQExportDef& def);
// The recorded messages, one a line: a report with class.operation, number, flag and text, a
// message box with style, buttons, flag and text, a text with style and text.
std::string DescribeMessages(const RecordingHostMessages& messages);

}  // namespace norvik::test
