#include "standalone/host_config.h"

#include <cstdlib>
#include <filesystem>

#include "common/profile_file.h"

namespace norvik::standalone {
namespace {

constexpr const char* kConfigFile = "norvik-export.ini";

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

}  // namespace

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
    const char* user = std::getenv("USER");
    config.userName = !userOption.empty() ? userOption
                                          : ini.Read("Sitzung", "Benutzer", user && *user ? user : "Standard");
    config.environment.InstallRoot = folder("InstallRoot", home);
    config.environment.CommonAppDataFolder = folder("CommonAppDataFolder", home);
    // Definitions append "\name" to the data folder, so it carries no separator of its own.
    config.environment.CommonUserDataFolder = ini.Read("Ordner", "CommonUserDataFolder", home + "Daten");
    config.environment.UserDataFolder = ini.Read("Ordner", "UserDataFolder", home + "Benutzer");
    return config;
}

std::string HostConfigText(const HostConfig& config) {
    return "; Konfiguration des NorvikExport-Hosts\n"
           "[Datenbank]\nURL=" + config.databaseUrl + "\n\n"
           "[Sitzung]\nBenutzer=" + config.userName + "\n\n"
           "[Ordner]\n"
           "InstallRoot=" + config.environment.InstallRoot + "\n"
           "CommonAppDataFolder=" + config.environment.CommonAppDataFolder + "\n"
           "CommonUserDataFolder=" + config.environment.CommonUserDataFolder + "\n"
           "UserDataFolder=" + config.environment.UserDataFolder + "\n";
}

std::shared_ptr<HostSession> OpenSession(const HostConfig& config) {
    auto session = std::make_shared<HostSession>();
    session->environment = config.environment;
    session->userName = config.userName;
    session->connection = db::Connection::Open(config.databaseUrl);
    return session;
}

}  // namespace norvik::standalone
