#pragma once
// One table's data file read as an import reads it: records, fields, values and keys, in one
// pass with reused buffers.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "gdpdu/finding_sink.h"
#include "gdpdu/index_model.h"
#include "gdpdu/key_set.h"
#include "gdpdu/medium_totals.h"

namespace norvik {

// A foreign key as the pass of its table checks it.
struct ForeignKeyCheck {
    std::vector<size_t> columns;             // the key's columns in the table
    size_t target = 0;                       // index of the referenced table in the model
    std::string targetLabel;                 // the referenced table, for messages
    const KeyHashSet* targetKeys = nullptr;  // its primary keys, when it was read before
    bool deferred = false;                   // it is read later: keys are kept to look up then
    std::vector<std::pair<uint64_t, uint64_t>> kept;  // (key hash, line) when deferred
};

// Reads the table's data file, which must lie inside the medium's folder, and reports what an
// import could not take (G204, G205, G401-G408, G501-G506, G601-G603). primaryKeys gets the
// hashes of the table's primary keys, lines (when given) the number of lines of the file, total
// (when given) the rows of the range and the sums of the numeric columns' readable values; false
// when the file could not be read to its end, so that they are not complete.
bool CheckTableData(const IndexTable& table, const std::filesystem::path& folder,
                    const std::filesystem::path& file, std::vector<ForeignKeyCheck>& foreignKeys,
                    KeyHashSet& primaryKeys, FindingSink& sink, uint64_t* lines = nullptr,
                    TableTotal* total = nullptr);

}  // namespace norvik
