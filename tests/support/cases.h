#pragma once
// Case tables kept as data: tests/FOLDER/cases/NAME.tsv, one case a line, fields separated by tabs.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/value.h"
#include "common/vb_error.h"

namespace norvik::test {

// One case of a table.
struct CaseRow {
    std::string where;                // "FILE:LINE", for failure messages
    std::vector<std::string> fields;  // with their escapes decoded
    // A field; a row with fewer fields fails the test that reads it.
    const std::string& operator[](size_t i) const { return fields.at(i); }
};

// The cases of tests/NAME. Blank lines and lines starting with "#" are left out; inside a field
// "\t", "\n", "\r", "\\" and "\xHH" stand for their bytes, any other backslash for itself.
std::vector<CaseRow> ReadCases(const std::string& name);

// A field's text with its escapes decoded as ReadCases decodes them.
std::string DecodedField(const std::string& field);

// A case of a block file: a line "=== TITLE", the input lines, a line "---", the expected lines.
struct CaseBlock {
    std::string title;     // with the file and line, for failure messages
    std::string input;     // each line ended by "\n"
    std::string expected;  // each line ended by "\n"
};

// The cases of the block file tests/NAME; lines before the first "===" and blank lines at the end
// of an input or expected part are left out.
std::vector<CaseBlock> ReadBlocks(const std::string& name);

// The text with each name of the pairs replaced by its value, wherever it stands.
std::string Filled(std::string text, const std::vector<std::pair<std::string, std::string>>& with);

// The text with each "{N*TEXT}" written out as N times TEXT.
std::string Repeated(std::string text);

// The VbError the call raises as "NUMBER: DESCRIPTION"; "" when it raises none.
std::string RaisedBy(const std::function<void()>& call);

// True when the text matches the pattern, in which "*" stands for any text (none included).
bool Matches(const std::string& text, const std::string& pattern);

// A value written in a table as its kind ("null", "int", "double", "dec", "text", "bool" with
// 1 or 0, "date" as YYYY-MM-DD or YYYY-MM-DD HH:MM:SS) and its text.
Value CaseValue(const std::string& kind, const std::string& text);
// A value as "kind:text", for failure messages.
std::string DescribeValue(const Value& value);

}  // namespace norvik::test
