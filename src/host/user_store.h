#pragma once
// The per-user settings store as the component calls it, so that a host can keep the values where
// its platform keeps them.

#include <string>

namespace norvik {

class UserSettingsStore {
  public:
    virtual ~UserSettingsStore() = default;
    // The stored value of a key, or the default; never raises.
    virtual std::string Get(const std::string& appName, const std::string& section,
                            const std::string& key, const std::string& def) = 0;
    // Stores a value; raises VbError with a German message when it cannot be stored.
    virtual void Save(const std::string& appName, const std::string& section,
                      const std::string& key, const std::string& value) = 0;
};

// The INI files of the user under $XDG_CONFIG_HOME (see user_settings.h).
class IniUserSettingsStore : public UserSettingsStore {
  public:
    std::string Get(const std::string& appName, const std::string& section, const std::string& key,
                    const std::string& def) override;
    void Save(const std::string& appName, const std::string& section, const std::string& key,
              const std::string& value) override;
};

}  // namespace norvik
