#pragma once
// The findings of a medium's check as JSON lines for programs that read them: one object per
// finding, the summary last.

#include <string>
#include <string_view>
#include <vector>

#include "check/medium_finding.h"

namespace norvik::standalone {

// A JSON string of UTF-8 text: quotes, backslashes and control characters escaped, a malformed
// byte as U+FFFD.
std::string JsonString(std::string_view text);
// {"code":…,"severity":"error"|"warning","file":…,"line":…,"table":…,"column":…,"count":…,
// "text":…}; a value a finding does not have is null.
std::string FindingJson(const MediumFinding& finding);
// {"errors":…,"warnings":…,"text":…,"dtd":…,"version":…}: the counts, the summary line and the
// published DTD Index.xml was read as (null when none).
std::string SummaryJson(const std::vector<MediumFinding>& findings, const std::string& dtd = {});

}  // namespace norvik::standalone
