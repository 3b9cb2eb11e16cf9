#pragma once
// A first use on an empty machine: the home's folders are made when a command first needs them.

#include "standalone/host_config.h"

namespace norvik::standalone {

// Before the database opens: the home folder for the home's own SQLite file. A configured SQLite
// file that does not exist is refused (CommandRefused naming it) unless newDatabase allows it.
void PrepareDatabase(const HostConfig& config, bool newDatabase);
// After the session start: the export and data folders that lie inside the home.
void MakeHomeFolders(const HostConfig& config, const std::string& exportPath);

}  // namespace norvik::standalone
