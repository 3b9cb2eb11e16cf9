#pragma once
// Reads Index.xml into the plain model as an import would, reporting what it cannot use.

#include <filesystem>
#include <optional>

#include "gdpdu/finding_sink.h"
#include "gdpdu/index_model.h"

namespace norvik {

// The model of the Index.xml at path; nullopt when it is not well-formed XML (reported as G102).
// Unusable declarations are reported (G301-G303, G307, G308, G310) and keep their table's data
// from being checked where they make it unreadable.
std::optional<IndexModel> ReadIndex(const std::filesystem::path& path, FindingSink& sink);

}  // namespace norvik
