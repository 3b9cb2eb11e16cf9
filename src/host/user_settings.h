#pragma once
// The per-user settings store: one INI file per application under $XDG_CONFIG_HOME.

#include <filesystem>
#include <string>

namespace norvik {

// The folder of the store: $XDG_CONFIG_HOME/norvik-export, else ~/.config/norvik-export.
std::filesystem::path UserSettingsFolder();
// The stored value of a key, or the default (section and key ignore case; never raises).
std::string GetSetting(const std::string& appName, const std::string& section,
                       const std::string& key, const std::string& def = "");
// Stores a value: reads, changes and atomically replaces the file under an exclusive lock (a
// ".lock" file beside it), so that parallel processes lose none of their keys. Raises VbError
// with a German message naming the file when it cannot be written.
void SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value);

}  // namespace norvik
