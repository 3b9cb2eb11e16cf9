#include "standalone/host_config.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "common/data_path.h"
#include "common/profile_file.h"
#include "host/user_settings.h"

namespace norvik::standalone {
namespace {

constexpr const char* kConfigFile = "norvik-export.ini";

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

std::string LoginName() {
    const char* user = std::getenv("USER");
    if (user && !IsBlank(user)) return user;
    // getpwuid_r, because the host may run the component on more than one thread.
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::string buffer(16384, '\0');
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name && !IsBlank(found->pw_name))
        return found->pw_name;
    return "Standard";
}

std::string ResolveHome(const std::string& option) {
    std::string home = option;
    if (home.empty()) {
        const char* env = std::getenv("NORVIK_EXPORT_HOME");
        if (env && *env) home = env;
    }
    if (home.empty()) {
        const char* userHome = std::getenv("HOME");
        home = std::string(userHome && *userHome ? userHome : ".") + "/.local/share/norvik-export";
    }
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(home, ec);
    return WithSlash(ec ? home : absolute.lexically_normal().string());
}

HostConfig LoadHostConfig(const std::string& home, const std::string& userOption) {
    const ProfileFile ini = ProfileFile::Load(home + kConfigFile, true);
    auto folder = [&](const char* key, const std::string& fallback) {
        return WithSlash(ini.Read("Ordner", key, fallback));
    };
    HostConfig config;
    config.home = home;
    config.databaseUrl = ini.Read("Datenbank", "URL", "sqlite:" + home + "host.sqlite");
    config.defaultDatabase = !ini.Find("Datenbank", "URL");
    // An empty Benutzer= would file every user's settings under the same empty owner.
    config.userName = userOption;
    if (IsBlank(config.userName)) config.userName = ini.Read("Sitzung", "Benutzer", "");
    if (IsBlank(config.userName)) config.userName = LoginName();
    config.environment.InstallRoot = folder("InstallRoot", home);
    config.environment.CommonAppDataFolder = folder("CommonAppDataFolder", home);
    // Like the other host folders it ends with a separator; "%DataPath%\name" does not double it.
    config.environment.CommonUserDataFolder =
        DataFolder(ini.Read("Ordner", "CommonUserDataFolder", home + "Daten"));
    config.environment.UserDataFolder = ini.Read("Ordner", "UserDataFolder", home + "Benutzer");
    return config;
}

std::string HostConfigFile(const std::string& home) {
    return home + kConfigFile;
}

std::string HostConfigText(const HostConfig& config) {
    return "; Konfiguration des NorvikExport-Hosts\n"
           "[Datenbank]\nURL=" +
           config.databaseUrl +
           "\n\n"
           "[Sitzung]\nBenutzer=" +
           config.userName +
           "\n\n"
           "[Ordner]\n"
           "InstallRoot=" +
           config.environment.InstallRoot +
           "\n"
           "CommonAppDataFolder=" +
           config.environment.CommonAppDataFolder +
           "\n"
           "CommonUserDataFolder=" +
           config.environment.CommonUserDataFolder +
           "\n"
           "UserDataFolder=" +
           config.environment.UserDataFolder + "\n";
}

std::string LookupSql(const std::string& home, const std::string& name) {
    return ProfileFile::Load(home + kConfigFile, true).Read("Auskunft", name, "");
}

std::shared_ptr<HostSession> OpenSession(const HostConfig& config) {
    auto session = std::make_shared<HostSession>();
    session->environment = config.environment;
    session->userName = config.userName;
    session->connection = db::Connection::Open(config.databaseUrl);
    // An export aimed at the host's configuration or per-user store would destroy it.
    session->ownFiles = {config.home + kConfigFile,
                         (UserSettingsFolder() / "TQBExport.ini").string()};
    return session;
}

}  // namespace norvik::standalone
