#pragma once
// A reader of DATEV's "Buchungsstapel" (EXTF, header version 700, format category 21, format
// version 13), written from DATEV's published format description, to check exported bytes.

#include <string>
#include <vector>

namespace norvik::test {

// Every deviation of the bytes from the format, one line each, as "line L field F: what" (or
// "line L: what", "file: what"); empty when the bytes are a valid batch.
std::vector<std::string> DatevBatchFindings(const std::string& bytes);

}  // namespace norvik::test
