#include "host/host_services.h"

#include <iostream>

#include "common/vb_error.h"
#include "host/db_protocol.h"
#include "host/user_settings.h"

namespace norvik {

HostMessages& HostServices::Messages() {
    if (!messages) messages = std::make_shared<ConsoleHostMessages>(std::cout, std::cerr);
    return *messages;
}

UserSettingsStore& HostServices::UserSettings() {
    if (!userSettings) userSettings = std::make_shared<IniUserSettingsStore>();
    return *userSettings;
}

ShellService& HostServices::Shell() {
    if (!shell) shell = std::make_shared<XdgShellService>();
    return *shell;
}

void HostServices::PumpMessages() const {
    if (messagePump) messagePump();
}

void HostServices::ShowBusy(bool busy) const noexcept {
    try {
        if (busyPointer) busyPointer(busy);
    } catch (...) {
        // A pointer that cannot change must not stop the work it marks.
    }
}

std::string HostServices::InformationLookupSql(const std::string& name) const {
    return informationLookup ? informationLookup(name) : std::string();
}

std::shared_ptr<ProtocolObject> HostServices::CreateProtocolObject(
    const std::string& progId) const {
    if (progId != kProtocolProgId) throw VbError(kErrCannotCreateObject);
    if (protocolFactory) return protocolFactory();
    return std::make_shared<DbProtocol>();
}

void HostServices::Reset() {
    *this = HostServices{};
}

HostServices& Services() {
    static HostServices services;
    return services;
}

std::string IniUserSettingsStore::Get(const std::string& appName, const std::string& section,
                                      const std::string& key, const std::string& def) {
    return GetSetting(appName, section, key, def);
}

void IniUserSettingsStore::Save(const std::string& appName, const std::string& section,
                                const std::string& key, const std::string& value) {
    SaveSetting(appName, section, key, value);
}

}  // namespace norvik
