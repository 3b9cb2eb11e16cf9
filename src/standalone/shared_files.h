#pragma once
// Files the project shares but does not ship, such as the published GDPdU DTD.

#include <filesystem>

namespace norvik::standalone {

// The published gdpdu-01-08-2002.dtd: in $NORVIK_SHARED_DIR/gdpdu/, else ../shared/gdpdu/ seen
// from the working folder; empty when it is in neither.
std::filesystem::path FindPublishedDtd();

}  // namespace norvik::standalone
