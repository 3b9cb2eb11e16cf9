#pragma once
// What of a home's norvik-export.ini is not read: a misspelt section or key would otherwise
// silently leave its default in force.

#include <string>
#include <vector>

#include "standalone/host_config.h"

namespace norvik::standalone {

// One warning per unknown section and per unknown key of a known section, naming file and line.
std::vector<std::string> ConfigWarnings(const HostConfig& config);

// One warning per key of a definition's [Allgemein] that is not read (a misspelt Feldtrenner) and
// per yes/no value that is neither a yes nor an accepted no (Kopfzeile=Ja), naming file and line.
std::vector<std::string> DefinitionWarnings(const std::string& path);

}  // namespace norvik::standalone
