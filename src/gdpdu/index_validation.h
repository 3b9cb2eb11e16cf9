#pragma once
// Checking a written Index.xml against the document type it names, with libxml2.

#include <cstddef>
#include <string>
#include <vector>

namespace norvik {

// The first problems (at most maxProblems) that keep the file from being well-formed and valid
// against its DTD, each as "Zeile N: message"; empty when it is valid.
std::vector<std::string> ValidateIndexXml(const std::string& path, size_t maxProblems);

}  // namespace norvik
