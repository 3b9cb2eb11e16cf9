#include <ostream>

#include "engine/tq_export.h"
#include "host/file_list.h"
#include "host/module_state.h"
#include "standalone/cli_context.h"
#include "standalone/definition_text.h"

namespace norvik::standalone {

int CommandList(CliContext& ctx, std::vector<std::string> args) {
    const bool gdpdu = TakeFlag(args, "--gdpdu");
    ExpectArguments(args, 0, 0, "list [--gdpdu]");
    ctx.StartSession();
    bool complete = true;
    const int32_t count = GetFileList(State(), Messages(), gdpdu ? cTQGDPdU : cTQExport, &complete);
    if (count == 0)
        ctx.out << (gdpdu ? "Keine GDPdU-Profile in " : "Keine Exportdefinitionen in ")
                << ShownPath(State().exportPath) << '\n';
    for (int32_t i = 0; i < count; ++i)
        ctx.out << State().fileList[i][0] << '\t' << ShownPath(State().fileList[i][1]) << '\n';
    return complete ? 0 : 1;
}

int CommandShow(CliContext& ctx, std::vector<std::string> args) {
    ExpectArguments(args, 1, 1, "show FILE");
    const std::string path = ctx.ResolveDefinition(args[0], cTQExport);
    ctx.StartSession();
    TQExport engine;
    const bool loaded = engine.LoadFile(path);
    // The definition keeps its output file as written; only the display uses our separators.
    TQExportDef shown = *engine.ExpDef;
    shown.Dateiname = ShownPath(shown.Dateiname);
    ctx.out << "Definition " << ShownPath(path) << "\n\n" << DescribeDefinition(shown);
    return loaded ? 0 : 1;
}

int CommandSave(CliContext& ctx, std::vector<std::string> args) {
    const std::string author = TakeOption(args, "--author");
    ExpectArguments(args, 2, 2, "save FILE OUT [--author NAME]");
    const std::string path = ctx.ResolveDefinition(args[0], cTQExport);
    ctx.StartSession();
    TQExport engine;
    if (!engine.LoadFile(path)) return 1;
    return engine.SaveFile(args[1], author) ? 0 : 1;
}

int CommandNew(CliContext& ctx, std::vector<std::string> args) {
    ExpectArguments(args, 1, 1, "new OUT");
    ctx.StartSession();
    TQExport engine;
    engine.CreateNew();
    return engine.SaveFile(args[0]) ? 0 : 1;
}

}  // namespace norvik::standalone
