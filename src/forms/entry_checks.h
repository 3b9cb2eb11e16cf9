#pragma once
// Entry mistakes the dialogs catch before anything runs, each as a German warning that names the
// field or criterion concerned.

#include <optional>
#include <string>

#include "selection/criteria.h"

namespace norvik {

// The warning for the first date or number range whose start lies after its end
// ("31.12.2026..01.01.2025"), which would select nothing; nullopt when there is none. Entries
// that cannot be read are left to the condition, which refuses them.
std::optional<std::string> ReversedRangeWarning(const CriterionList& criteria);

// The warning for an output file that cannot be written because of what is on the disk: the name
// is a folder, or its folder part is a file; nullopt otherwise (a missing folder included).
std::optional<std::string> OutputFileWarning(const std::string& fileName);

}  // namespace norvik
