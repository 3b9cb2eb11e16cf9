#pragma once
// Whether a file name can be carried to Windows: a data medium goes to the tax auditor's machines.

#include <string>
#include <string_view>

namespace norvik {

// Why Windows cannot hold a file of this name, as one German sentence; empty when it can. Refused
// are the empty name, control characters, < > : " / \ | ? *, a trailing point or blank and the
// device names (CON, PRN, AUX, NUL, COM0-9, LPT0-9, also with an extension).
std::string WindowsFileNameProblem(std::string_view name);

}  // namespace norvik
