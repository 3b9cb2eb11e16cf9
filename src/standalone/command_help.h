#pragma once
// The help texts of norvik-export: the whole program and each command.

#include <string>

namespace norvik::standalone {

// The usage of the program with every command in one line or two.
const char* ProgramHelp();
// The usage of one command with its arguments and options; null for an unknown command.
const char* CommandHelp(const std::string& command);

}  // namespace norvik::standalone
