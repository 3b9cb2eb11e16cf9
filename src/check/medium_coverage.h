#pragma once
// What a medium holds that Index.xml does not describe: lines of a data file outside every table's
// range (G409), and files of the folder that no table names (G206). An import passes over both
// without a word.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "check/finding_sink.h"
#include "check/index_model.h"

namespace norvik {

// One data file as the tables that share it describe it.
struct FileCoverage {
    std::string url;     // for messages
    uint64_t lines = 0;  // the lines the file holds
    bool known = true;   // every table of the file was read to its end
    std::vector<std::pair<uint64_t, uint64_t>> ranges;  // the tables' ranges, inclusive
};

// Reports each run of lines after the first range's start that no range covers.
void ReportUncoveredLines(const FileCoverage& file, FindingSink& sink);
// Reports each entry of the folder that is neither Index.xml, the DTD nor named by a table's URL.
void ReportUndescribedFiles(const std::filesystem::path& folder, const IndexModel& model,
                            FindingSink& sink);

}  // namespace norvik
