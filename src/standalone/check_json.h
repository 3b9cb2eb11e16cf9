#pragma once
// The findings of a medium's check as JSON lines for programs that read them: one object per
// finding, the summary last.

#include <string>
#include <string_view>
#include <vector>

#include "gdpdu/medium_finding.h"

namespace norvik::standalone {

// A JSON string of UTF-8 text: quotes, backslashes and control characters escaped, a malformed
// byte as U+FFFD.
std::string JsonString(std::string_view text);
// {"code":…,"severity":"error"|"warning","file":…,"line":…,"table":…,"column":…,"count":…,
// "text":…}; a value a finding does not have is null.
std::string FindingJson(const MediumFinding& finding);
// {"errors":…,"warnings":…,"text":…} with the counts and the text of the summary line.
std::string SummaryJson(const std::vector<MediumFinding>& findings);

}  // namespace norvik::standalone
