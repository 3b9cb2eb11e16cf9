#pragma once
// The host session: the host's folders, the user and the database connection.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/connection.h"

namespace norvik {

// The folders of the host environment.
struct HostEnvironment {
    std::string InstallRoot;           // installation folder of the host
    std::string CommonAppDataFolder;   // shared application data, ends with a separator
    std::string UserDataFolder;        // the user's own data folder
    std::string CommonUserDataFolder;  // shared user data, "%DataPath%"; ends with a separator
};

class HostSession {
  public:
    // The environment; raises 438 when the session has none, as a missing host property did.
    const HostEnvironment& Environment() const;
    // The login name; raises 438 when the session has none.
    const std::string& UserName() const;
    // The open host database connection; raises 438 when the session has none.
    const std::shared_ptr<db::Connection>& Connection() const;

    // Environment folders of this session (empty: the session has no environment).
    std::optional<HostEnvironment> environment;
    // Login name (empty: the session has no user).
    std::optional<std::string> userName;
    // Database connection (null: the session has no connection).
    std::shared_ptr<db::Connection> connection;
    // Files of the host that no export may write over (its configuration, for example).
    std::vector<std::string> ownFiles;
};

}  // namespace norvik
