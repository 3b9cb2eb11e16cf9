#pragma once
// A GDPdU profile as readable text, for the show command.

#include <string>

#include "gdpdu/tq_gdpdu.h"

namespace norvik::standalone {

// The name, the output folder and one line per table of the profile as loaded.
std::string DescribeProfile(const TQGDPdU& profile);

}  // namespace norvik::standalone
