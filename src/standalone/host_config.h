#pragma once
// The standalone host's configuration: the home folder and its norvik-export.ini.

#include <memory>
#include <string>

#include "host/host_session.h"

namespace norvik::standalone {

// Where the host keeps its database, folders and definitions.
struct HostConfig {
    std::string home;             // the home folder, with a trailing "/"
    std::string databaseUrl;      // the host database
    bool defaultDatabase = true;  // no URL configured: the home's own SQLite file
    std::string userName;         // the user of the session
    HostEnvironment environment;  // folders handed to the component
};

// The home: the given folder, else $NORVIK_EXPORT_HOME, else ~/.local/share/norvik-export.
std::string ResolveHome(const std::string& option);
// The login name: $USER, else the name of the user's passwd entry, else "Standard".
std::string LoginName();
// The configuration of a home: norvik-export.ini where present, defaults for what it lacks; the
// user is the option, else Benutzer= of [Sitzung], else (also when that is empty) the login name.
HostConfig LoadHostConfig(const std::string& home, const std::string& userOption);
// The configuration file of a home.
std::string HostConfigFile(const std::string& home);
// The text of a norvik-export.ini that states the configuration.
std::string HostConfigText(const HostConfig& config);
// The SQL of the host's information lookup of that name ([Auskunft] of norvik-export.ini), or
// empty when the home has none.
std::string LookupSql(const std::string& home, const std::string& name);
// Opens the database and builds the session for the component; raises VbError when it cannot.
std::shared_ptr<HostSession> OpenSession(const HostConfig& config);

}  // namespace norvik::standalone
