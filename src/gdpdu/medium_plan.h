#pragma once
// The plan of a data medium, checked before any file is written: every selected table has a data
// source and its data file lies in the output folder under a name Windows can hold, no two are the
// same file (letter case ignored, as on Windows), none takes the name of Index.xml, the DTD or a
// file the handover ZIP adds, and no table's format lets a value be misread.

#include <string>
#include <vector>

#include "gdpdu/tq_gxp_files.h"

namespace norvik {

// Why the selected tables cannot form a medium in folder: one German sentence per problem, naming
// its tables by caption; empty when they can. Raises VbError 91 for a selected table without a
// definition.
std::vector<std::string> MediumPlanProblems(const TQGxpFiles& tables, const std::string& folder);
// The message that refuses a medium for these problems.
std::string MediumPlanRefusal(const std::vector<std::string>& problems);

}  // namespace norvik
