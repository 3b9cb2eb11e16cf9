#pragma once
// norvik-export gui, in the dialog program: the dialogs, opened through the component's entry
// object as any host would.

#include <string>
#include <vector>

#include "standalone/cli_context.h"

namespace norvik::standalone {

// Opens the export or the GDPdU dialog (args: [export|gdpdu]); returns the exit code.
int CommandGui(CliContext& ctx, std::vector<std::string> args);

}  // namespace norvik::standalone
