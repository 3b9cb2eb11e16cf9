#include "host/module_state.h"

#include "common/vb_error.h"

namespace norvik {
namespace {

// The host folder already ends with its separator; the sub folder follows the same convention.
std::string ExportPathOf(const std::string& commonAppData) {
    const bool windows = !commonAppData.empty() && commonAppData.back() == '\\';
    return commonAppData + (windows ? "Drivers\\Export\\" : "Drivers/Export/");
}

}  // namespace

void SessionStart(const std::shared_ptr<HostSession>& session) {
    gSession = session;
    const HostEnvironment& env = session->Environment();
    gInstallRoot = env.InstallRoot;
    gCommonAppDataFolder = env.CommonAppDataFolder;
    gExportPath = ExportPathOf(gCommonAppDataFolder);
    gUserDataFolder = env.UserDataFolder;
    gCommonUserDataFolder = env.CommonUserDataFolder;
    ConnectHostSettings();
    gUserName = session->UserName();
}

void ConnectHostSettings() {
    gHostSettings = std::make_shared<HostSettings>();
    if (!gSession) throw VbError(kErrNoSuchProperty);
    gHostSettings->Connect(1, gSession->Connection(), 0);
}

void ResetModuleState() {
    gSession.reset();
    gInstallRoot.clear();
    gCommonAppDataFolder.clear();
    gExportPath.clear();
    gUserDataFolder.clear();
    gCommonUserDataFolder.clear();
    gUserName.clear();
    gHostSettings.reset();
    for (auto& row : gFileList) row = {};
    gFileCount = 0;
}

}  // namespace norvik
