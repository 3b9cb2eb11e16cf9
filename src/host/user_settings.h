#pragma once
// The per-user settings store: one INI file per application under $XDG_CONFIG_HOME.

#include <filesystem>
#include <string>

namespace norvik {

// The folder of the store: $XDG_CONFIG_HOME/norvik-export, else ~/.config/norvik-export.
std::filesystem::path UserSettingsFolder();
// The stored value of a key, or the default (section and key ignore case; never raises).
std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                       const std::string& def = "");
// Stores a value; the file is replaced atomically. Raises VbError when it cannot be written.
void SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value);

}  // namespace norvik
