#pragma once
// The dialogs live in a program of their own, norvik-export-gui: the window system's libraries
// take longer to load than most commands take to run, so norvik-export loads none of them.

#include <string>
#include <vector>

namespace norvik::standalone {

// The file name of the dialog program.
inline constexpr const char* kDialogProgramName = "norvik-export-gui";

// Replaces this process by the dialog program with the whole call (norvik-export's arguments,
// without the program name): the same process, signals and exit code. Raises CommandRefused when
// the program is missing or cannot be started.
[[noreturn]] void HandOverToDialogProgram(const std::vector<std::string>& call);

}  // namespace norvik::standalone
