#include "host/module_state.h"

#include "common/data_path.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

// The host folder already ends with its separator; the sub folder follows the same convention.
std::string ExportPathOf(const std::string& commonAppData) {
    const bool windows = !commonAppData.empty() && commonAppData.back() == '\\';
    return commonAppData + (windows ? "Drivers\\Export\\" : "Drivers/Export/");
}

void ConnectSettings(ModuleState& state) {
    state.hostSettings = std::make_shared<HostSettings>();
    if (!state.session) throw VbError(kErrNoSuchProperty);
    state.hostSettings->Connect(1, state.session->Connection(), 0);
}

}  // namespace

HostSession& ModuleState::Session() const {
    if (!session) throw VbError(kErrObjectNotSet);
    return *session;
}

HostSettings& ModuleState::Settings() {
    if (!hostSettings) {
        if (!session) throw VbError(kErrObjectNotSet);
        ConnectSettings(*this);
    }
    return *hostSettings;
}

void ModuleState::Reset() {
    *this = ModuleState{};
}

ModuleState& State() {
    static ModuleState state;
    return state;
}

void SessionStart(ModuleState& state, const std::shared_ptr<HostSession>& session) {
    state.session = session;
    const HostEnvironment& env = session->Environment();
    state.installRoot = env.InstallRoot;
    state.commonAppDataFolder = env.CommonAppDataFolder;
    state.exportPath = ExportPathOf(state.commonAppDataFolder);
    state.userDataFolder = env.UserDataFolder;
    // Whatever the host hands over, "%DataPath%" followed by a name lies inside the folder.
    state.commonUserDataFolder = DataFolder(env.CommonUserDataFolder);
    ConnectSettings(state);
    state.userName = session->UserName();
}

void SessionStart(const std::shared_ptr<HostSession>& session) {
    SessionStart(State(), session);
}

}  // namespace norvik
