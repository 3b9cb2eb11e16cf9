#pragma once
// Text sections: @ & < > ! and literals; characters are UTF-8 code points.

#include <string>
#include <string_view>

#include "common/vb_format_section.h"

namespace norvik::vbfmt {

// Fills a section of kind kText from its text.
void BuildTextSection(std::string_view text, Section& section);

// Appends a text as the section writes it.
void AppendTextSection(const Section& section, std::string_view value, std::string& out);

// Changes the letter case of s from a byte position on (ASCII and the Windows-1252 letters).
void ChangeCase(std::string& s, size_t from, TextCase textCase);

}  // namespace norvik::vbfmt
