#pragma once
// The layout part of a Table in Index.xml (VariableLength or FixedLength): separators, columns
// and foreign keys. Used by the index reader.

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "gdpdu/finding_sink.h"
#include "gdpdu/index_model.h"

namespace norvik {

// Reports an unusable declaration of a table at the Index.xml line of its element.
struct DeclarationReport {
    FindingSink& sink;
    const IndexTable& table;
    void operator()(std::string_view code, const xmlNode* at, const std::string& text,
                    std::string_view column = {}) const;
};

// Reads the VariableLength or FixedLength element into the table, whose character set is known.
void ReadLayout(const xmlNode* layout, IndexTable& table, const DeclarationReport& report);

}  // namespace norvik
