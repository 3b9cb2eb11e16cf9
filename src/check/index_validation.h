#pragma once
// Checking Index.xml against the document type it names, with libxml2; nothing is loaded but the
// DTD given.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norvik {

// One problem of Index.xml: the line it stands on (0 when unknown) and libxml2's message.
struct IndexProblem {
    int line = 0;
    std::string message;
};

// The first problems (at most maxProblems) that keep the document xml (its place url) from being
// well-formed and valid against dtd, the bytes of the DTD its DOCTYPE names (empty: none there);
// empty when it is valid.
std::vector<IndexProblem> IndexXmlProblems(std::string_view xml, const std::string& url,
                                           std::string dtd, size_t maxProblems);

}  // namespace norvik
