#pragma once
// What Index.xml would bring in from outside besides its DTD: external entities declared in its
// DOCTYPE and XInclude elements. They are reported; nothing of them is ever loaded.

#include <libxml/tree.h>

#include "check/finding_sink.h"

namespace norvik {

// Reports each external entity of the document's own DOCTYPE and each XInclude element (G107).
void ReportOutsideReferences(const xmlDoc* doc, FindingSink& sink);

}  // namespace norvik
