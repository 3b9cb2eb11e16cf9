#pragma once
// The services the host lends the component, in one bundle: whatever is not set falls back to the
// component's own stand-in (console messages, INI store, xdg-open, our protocol, no pump, no
// pointer).

#include <functional>
#include <memory>
#include <string>

#include "host/host_messages.h"
#include "host/protocol_object.h"
#include "host/shell_service.h"
#include "host/user_store.h"

namespace norvik {

struct HostServices {
    std::shared_ptr<HostMessages> messages;           // texts, questions, error reports
    std::shared_ptr<UserSettingsStore> userSettings;  // the per-user settings store
    std::shared_ptr<ShellService> shell;              // opens folders in the file manager
    std::function<void()> messagePump;                // processes pending window messages
    std::function<void(bool)> busyPointer;            // shows (true) or restores the busy pointer
    std::function<std::shared_ptr<ProtocolObject>()> protocolFactory;  // makes the log component
    // The SQL statement of the host's information lookup of that name (the "AUSK_" value lists of
    // the selection), empty for a name the host does not know.
    std::function<std::string(const std::string& name)> informationLookup;

    // The message service, or the console.
    HostMessages& Messages();
    // The per-user store, or the INI files.
    UserSettingsStore& UserSettings();
    // The shell, or xdg-open.
    ShellService& Shell();
    // Lets the host process pending window messages (nothing without a pump).
    void PumpMessages() const;
    // Shows or restores the busy pointer (nothing without a hook); never raises.
    void ShowBusy(bool busy) const noexcept;
    // The statement of the host's information lookup, empty when the host has none of that name.
    std::string InformationLookupSql(const std::string& name) const;
    // Creates the log component the host registered under progId; raises 429 for an unknown one.
    std::shared_ptr<ProtocolObject> CreateProtocolObject(const std::string& progId) const;

    // Drops every service the host set (the component is unloaded, or a test starts afresh).
    void Reset();
};

// The services of the component.
HostServices& Services();

}  // namespace norvik
