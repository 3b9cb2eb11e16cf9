#pragma once
// The placeholder "%DataPath%" of definitions and profiles: the host's common user data folder.

#include <string>

namespace norvik {

// The data folder as "%DataPath%" stands for it: with a separator at its end ("" stays "").
std::string DataFolder(const std::string& folder);
// The text with every "%DataPath%" replaced by the data folder. Directly before a separator of the
// text the folder's own trailing one is left out, so "%DataPath%GDPdU" and "%DataPath%\GDPdU"
// both name the same file and neither doubles a separator.
std::string ReplaceDataPath(const std::string& text, const std::string& folder);

}  // namespace norvik
