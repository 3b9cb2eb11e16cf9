#pragma once
// Temporary files of our runs ("." NAME ".norvik-" …) are locked while a run writes them; one that
// no process holds a lock on was left by a run that was killed, and goes.

#include <string>

namespace norvik {

// The name a run writes the file NAME under for now, unique in the process.
std::string TemporaryNameFor(const std::string& name);
// Locks a temporary file of ours for as long as the descriptor stays open.
void MarkInUse(int fd) noexcept;
// Removes the temporary files of NAME in the folder that no process holds; never raises.
void RemoveLeftovers(const std::string& folder, const std::string& name) noexcept;

}  // namespace norvik
