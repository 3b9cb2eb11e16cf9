#pragma once
// The classic VB Format function (OLE Automation VarFormat) in the fixed German locale: decimal
// comma, thousands point, German names, Monday as first day, first week with four days.

#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "common/vb_format_named.h"
#include "common/vb_format_section.h"

namespace norvik {

// A format text parsed once, to be applied to many values.
class CompiledFormat {
  public:
    // Parses any format text; never fails (text that is no code is literal).
    static CompiledFormat Parse(std::string_view formatText);
    // Appends the formatted value to out.
    void Apply(const Value& value, std::string& out) const;
    // The formatted value.
    std::string Apply(const Value& value) const;
    // The named format it was given as, else kNone.
    vbfmt::Named NamedFormat() const { return named_; }
    // Its sections in order (positive, negative, zero, null); empty for an empty format.
    const std::vector<vbfmt::Section>& Sections() const { return sections_; }

  private:
    void ApplyNumeric(const Value& value, std::string& out) const;
    void ApplyText(const Value& value, std::string& out) const;
    void ApplyNamed(const Value& value, std::string& out) const;

    bool empty_ = true;
    vbfmt::Named named_ = vbfmt::Named::kNone;
    vbfmt::Kind kind_ = vbfmt::Kind::kEmpty;
    std::vector<vbfmt::Section> sections_;
};

// Format(value, formatText) as the classic function returns it; an empty format gives the
// value's text. A text that reads as a German number or date is formatted as one; other text
// comes back unchanged from number and date formats.
std::string Format(const Value& value, std::string_view formatText);

}  // namespace norvik
