#include <ostream>

#include "host/module_state.h"
#include "standalone/cli_context.h"

namespace norvik::standalone {

int CommandSettings(CliContext& ctx, std::vector<std::string> args) {
    const std::string usage = "settings get|set SECTION KEY [VALUE] [--owner NAME]";
    std::string owner = TakeOption(args, "--owner");
    ExpectArguments(args, 3, 4, usage);
    const bool set = args[0] == "set";
    if ((args[0] != "get" && !set) || (set != (args.size() == 4)))
        throw UsageError("Aufruf: " + usage);
    ctx.StartSession();
    if (owner.empty()) owner = ctx.Module().userName;
    if (set) {
        ctx.Module().Settings().WriteValue(args[1], args[2], args[3], owner);
        return 0;
    }
    ctx.out << ctx.Module().Settings().ReadValue(args[1], args[2], owner, "") << '\n';
    return 0;
}

}  // namespace norvik::standalone
