#pragma once
// Checks a GDPdU data medium as a tax office's import reads it: Index.xml against its DTD, the
// copy of the DTD, every data file against its description, and the keys between the tables.
// Nothing outside the folder is read, and only regular files. Data files are read as streams,
// records up to a bound; memory grows only with the keys the checks need: the hashes of every
// table's primary keys, and the foreign keys of a table that names itself (or a table read after
// it) until that table is read.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "check/medium_finding.h"
#include "check/medium_totals.h"

namespace norvik {

// How a medium is checked.
struct MediumCheckOptions {
    // The published DTD to compare the copy with, the one our media name; a medium naming the
    // later version is compared with the file of its name beside it. Empty: not compared.
    std::filesystem::path publishedDtd;
    size_t maxFindingsEach = 10;  // shown findings of one code per table and file
    // When given: each table of Index.xml, in order, with its rows and numeric sums.
    std::vector<TableTotal>* totals = nullptr;
    // When given: the published DTD Index.xml names and was read against; empty when it names
    // none of them.
    std::string* dtd = nullptr;
};

// The findings for the medium in folder: the medium's own first, then each table's by line;
// empty when it imports as described.
std::vector<MediumFinding> CheckMedium(const std::filesystem::path& folder,
                                       const MediumCheckOptions& options = {});

}  // namespace norvik
