#pragma once
// Date and time sections with German names, Monday as first day and the four-day first week.

#include <string>
#include <string_view>

#include "common/value.h"
#include "common/vb_format_section.h"

namespace norvik::vbfmt {

// Fills a section of kind kDate from its text.
void BuildDateSection(std::string_view text, Section& section);

// Appends a valid date/time as the section writes it.
void AppendDate(const Section& section, const DateTime& value, std::string& out);

// The classic week of the year: ISO weeks, but the last Monday of a year before a leap year that
// starts week 1 counts as week 53, as the classic function has it.
int ClassicWeekOfYear(const DateTime& value);

}  // namespace norvik::vbfmt
