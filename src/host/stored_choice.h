#pragma once
// A choice the user makes in passing (the protocol switch, a table selection) is remembered in the
// host settings store; a database that takes no changes (a standby, a role that may only read)
// does not stop the work for it.

#include <string>

#include "host/host_services.h"
#include "host/module_state.h"

namespace norvik {

// Stores the value; when the database refuses it, warns once why, and the value holds until the
// program ends.
void StoreChoice(ModuleState& state, HostServices& services, const std::string& section,
                 const std::string& key, const std::string& value, const std::string& owner);

}  // namespace norvik
