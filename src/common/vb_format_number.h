#pragma once
// Number sections: 0 # . , % E+ E- e+ e- and literals, written with German separators.

#include <string>
#include <string_view>

#include "common/vb_format_digits.h"
#include "common/vb_format_section.h"

namespace norvik::vbfmt {

// Fills a section of kind kNumber from its text.
void BuildNumberSection(std::string_view text, Section& section);

// Appends the absolute value of a number as the section writes it; the caller writes any sign.
void AppendNumber(const Section& section, Digits value, std::string& out);

}  // namespace norvik::vbfmt
