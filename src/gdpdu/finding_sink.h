#pragma once
// Collects the findings of a medium check, at most a few of each kind per table and file, so that
// a broken file of a million lines gives a readable report.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "gdpdu/medium_finding.h"

namespace norvik {

class FindingSink {
  public:
    // Keeps at most maxEach findings of one code for one table and file (at least one).
    explicit FindingSink(size_t maxEach);
    // Counts one finding; true when its text is wanted (the caller then calls Add).
    bool Admit(std::string_view code, size_t table, std::string_view file);
    // Adds an admitted finding; column: the one column it concerns, if any.
    void Add(std::string_view code, std::string_view file, uint64_t line, size_t table,
             std::string text, std::string_view column = {});
    // Admit and Add in one, for findings whose text costs nothing to build.
    void Report(std::string_view code, std::string_view file, uint64_t line, size_t table,
                std::string text, std::string_view column = {});
    // The Names of the tables by their position in Index.xml, for the findings of each.
    void NameTables(std::vector<std::string> names) { tableNames_ = std::move(names); }
    // The findings, ordered by table and line, each group of left-out ones as one closing line.
    std::vector<MediumFinding> Take();

  private:
    using Group = std::tuple<std::string, size_t, std::string>;  // code, table, file
    size_t maxEach_;
    std::map<Group, uint64_t> seen_;
    std::vector<MediumFinding> findings_;
    std::vector<std::string> tableNames_;
};

}  // namespace norvik
