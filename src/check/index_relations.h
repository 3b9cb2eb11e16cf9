#pragma once
// How the tables of a medium refer to each other: foreign keys resolved to the primary keys they
// name, and the order in which to read the tables so that referenced ones come first.

#include <cstddef>
#include <vector>

#include "check/finding_sink.h"
#include "check/index_model.h"

namespace norvik {

// A foreign key resolved to the table it names.
struct ForeignKeyLink {
    size_t table = 0;                   // index of the table holding the key
    size_t target = 0;                  // index of the referenced table
    std::vector<size_t> columns;        // the key's columns in its table
    std::vector<size_t> targetColumns;  // the referenced table's primary key columns
};

// The links of a medium and the order to read its tables in.
struct MediumRelations {
    std::vector<ForeignKeyLink> links;
    std::vector<size_t> order;  // every table once; referenced ones first unless they form a cycle
};

// Resolves every foreign key of the model by the referenced table's name; reports names used
// twice (G306), keys that name no usable table (G304) or no column (G305) and keys whose types
// differ from the primary key's (G309).
MediumRelations ResolveRelations(const IndexModel& model, FindingSink& sink);

}  // namespace norvik
