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
    const int32_t count = GetFileList(State(), Messages(), gdpdu ? cTQGDPdU : cTQExport);
    if (count == 0)
        ctx.out << (gdpdu ? "Keine GDPdU-Profile in " : "Keine Exportdefinitionen in ")
                << State().exportPath << '\n';
    for (int32_t i = 0; i < count; ++i)
        ctx.out << State().fileList[i][0] << '\t' << State().fileList[i][1] << '\n';
    return ctx.ReportedErrors() == 0 ? 0 : 1;
}

int CommandShow(CliContext& ctx, std::vector<std::string> args) {
    ExpectArguments(args, 1, 1, "show FILE");
    const std::string path = ctx.ResolveDefinition(args[0], cTQExport);
    ctx.StartSession();
    TQExport engine;
    engine.LoadFile(path);
    ctx.out << "Definition " << path << "\n\n" << DescribeDefinition(*engine.ExpDef);
    return ctx.ReportedErrors() == 0 ? 0 : 1;
}

int CommandSave(CliContext& ctx, std::vector<std::string> args) {
    const std::string author = TakeOption(args, "--author");
    ExpectArguments(args, 2, 2, "save FILE OUT [--author NAME]");
    const std::string path = ctx.ResolveDefinition(args[0], cTQExport);
    ctx.StartSession();
    TQExport engine;
    engine.LoadFile(path);
    if (ctx.ReportedErrors() != 0) return 1;
    engine.SaveFile(args[1], author);
    return ctx.ReportedErrors() == 0 ? 0 : 1;
}

int CommandNew(CliContext& ctx, std::vector<std::string> args) {
    ExpectArguments(args, 1, 1, "new OUT");
    ctx.StartSession();
    TQExport engine;
    engine.CreateNew();
    engine.SaveFile(args[0]);
    return ctx.ReportedErrors() == 0 ? 0 : 1;
}

}  // namespace norvik::standalone
