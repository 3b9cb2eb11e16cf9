#include "host/stored_choice.h"

#include "common/vb_error.h"
#include "host/host_messages.h"

namespace norvik {

void StoreChoice(ModuleState& state, HostServices& services, const std::string& section,
                 const std::string& key, const std::string& value, const std::string& owner) {
    HostSettings& settings = state.Settings();
    const bool first = !settings.HasUnsaved();
    try {
        settings.WriteValue(section, key, value, owner);
    } catch (const VbError& e) {
        if (!settings.HasUnsaved()) throw;
        if (first)
            services.Messages().ShowMessage(
                "Warnung: Die Datenbank nimmt die Einstellung \"" + key +
                    "\" nicht an (etwa ein Standby-Server oder eine Rolle, die nur lesen darf); "
                    "sie gilt nur, solange das Programm läuft. " +
                    e.Description(),
                3, kButtonsOk, false);
    }
}

}  // namespace norvik
