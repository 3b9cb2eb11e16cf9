#pragma once
// Checking a written Index.xml against the document type it names, with libxml2.

#include <cstddef>
#include <string>
#include <vector>

namespace norvik {

// One problem of Index.xml: the line it stands on (0 when unknown) and libxml2's message.
struct IndexProblem {
    int line = 0;
    std::string message;
};

// The first problems (at most maxProblems) that keep the file from being well-formed and valid
// against its DTD; empty when it is valid.
std::vector<IndexProblem> IndexXmlProblems(const std::string& path, size_t maxProblems);

}  // namespace norvik
