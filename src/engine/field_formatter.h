#pragma once
// Turns one field's raw value into its output text and appends it, qualified, to the line.

#include <string>
#include <string_view>
#include <unordered_map>

#include "common/vb_format.h"
#include "definition/tq_model.h"

namespace norvik {

class FieldFormatter {
public:
    // Appends the formatted, qualified value of the field to line. Steps that fail leave the text
    // as it was before them; nothing is raised.
    void Append(const TQField& field, const TQExportDef& def, std::string_view raw, std::string& line);

private:
    void ApplyFormat(const std::string& formatText);

    std::string text_;
    std::string scratch_;
    // Formats are parsed once per text, not once per row.
    std::unordered_map<std::string, CompiledFormat> formats_;
};

}  // namespace norvik
