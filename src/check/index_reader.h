#pragma once
// Reads Index.xml into the plain model as an import would, reporting what it cannot use.

#include <optional>
#include <string>
#include <string_view>

#include "check/finding_sink.h"
#include "check/index_model.h"

namespace norvik {

// The model of Index.xml's bytes (url: its place); nullopt when it is not well-formed XML (reported
// as G102). Nothing outside is loaded: what it would load is reported (G107). Unusable
// declarations are reported (G301-G303, G307, G308, G310) and keep their table's data from being
// checked where they make it unreadable.
std::optional<IndexModel> ReadIndex(std::string_view xml, const std::string& url,
                                    FindingSink& sink);

}  // namespace norvik
