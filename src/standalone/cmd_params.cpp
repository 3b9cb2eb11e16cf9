#include <ostream>

#include "forms/parameter_rows.h"
#include "host/module_state.h"
#include "standalone/cli_context.h"

namespace norvik::standalone {

// Shows a definition's parameters with their stored values, or stores new ones as the properties
// editor does when it closes.
int CommandParams(CliContext& ctx, std::vector<std::string> args) {
    const std::vector<std::string> sets = TakeRepeatedOption(args, "--set");
    ExpectArguments(args, 1, 1, "params FILE [--set KEY=VALUE]…");
    const std::string path = ctx.ResolveDefinition(args[0], cTQExport);
    ctx.StartSession();

    ParameterRows rows(ctx.Module(), ctx.Host());
    rows.Load(path);
    for (const std::string& set : sets) {
        const size_t eq = set.find('=');
        if (eq == std::string::npos || eq == 0) throw UsageError("--set braucht KEY=VALUE");
        if (!rows.Set(set.substr(0, eq), set.substr(eq + 1)))
            throw UsageError("die Definition hat keinen Parameter " + set.substr(0, eq));
    }
    if (!sets.empty() && !rows.Save()) {
        ctx.err << "norvik-export: Nicht alle Parameterwerte konnten gespeichert werden.\n";
        return 1;
    }
    // Shown as a run reads them: a value stored empty gives way to the definition's own.
    ParameterRows shown(ctx.Module(), ctx.Host());
    shown.Load(path);
    ctx.out << shown.Title() << '\n';
    if (shown.Rows().empty()) ctx.out << "Keine Parameter.\n";
    for (const ParameterRow& row : shown.Rows())
        ctx.out << row.key << " = " << row.value << "   (" << row.caption << ")\n";
    return 0;
}

}  // namespace norvik::standalone
