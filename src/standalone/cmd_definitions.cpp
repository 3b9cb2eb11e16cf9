#include <filesystem>
#include <ostream>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "engine/export_start.h"
#include "engine/tq_export.h"
#include "gdpdu/tq_gdpdu.h"
#include "host/file_list.h"
#include "host/module_state.h"
#include "standalone/cli_context.h"
#include "standalone/definition_text.h"
#include "standalone/forgetting_store.h"
#include "standalone/profile_text.h"

namespace norvik::standalone {

int CommandList(CliContext& ctx, std::vector<std::string> args) {
    const bool gdpdu = TakeFlag(args, "--gdpdu");
    ExpectArguments(args, 0, 0, "list [--gdpdu]");
    ctx.StartSession();
    bool complete = true;
    const int32_t count =
        GetFileList(ctx.Module(), ctx.Host().Messages(), gdpdu ? cTQGDPdU : cTQExport, &complete);
    if (count == 0)
        ctx.out << (gdpdu ? "Keine GDPdU-Profile in " : "Keine Exportdefinitionen in ")
                << ShownPath(ctx.Module().exportPath) << '\n';
    for (int32_t i = 0; i < count; ++i)
        ctx.out << ctx.Module().fileList[i][0] << '\t' << ShownPath(ctx.Module().fileList[i][1])
                << '\n';
    return complete ? 0 : 1;
}

int CommandShow(CliContext& ctx, std::vector<std::string> args) {
    ExpectArguments(args, 1, 1, "show FILE");
    std::string path;
    try {
        path = ctx.ResolveDefinition(args[0], cTQExport);
    } catch (const UsageError&) {
        path = ctx.ResolveDefinition(args[0], cTQGDPdU);
    }
    ctx.StartSession();
    if (UpperCase(NativePath(path).extension().string()) == ".GDU") {
        TQGDPdU profile(ctx.Module(), ctx.Host());
        const bool loaded = profile.LoadFile(path);
        ctx.out << "GDPdU-Profil " << ShownPath(path) << "\n\n" << DescribeProfile(profile);
        return loaded ? 0 : 1;
    }
    TQExport engine(ctx.Module(), ctx.Host());
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
    const std::string target = AbsolutePath(args[1]);
    std::error_code ec;
    if (!std::filesystem::is_directory(NativePath(GetPath(target)), ec))
        throw CommandRefused("Der Ordner " + ShownPath(GetPath(target)) + " für " +
                             ShownPath(target) + " existiert nicht; bitte anlegen.");
    // The file keeps its own output file: neither the one a run remembered for this user nor
    // "%DataPath%" replaced by this host's folder (the placeholder stands for itself here).
    ModuleState literal = ctx.Module();
    literal.commonUserDataFolder = "%DataPath%";
    HostServices services = ctx.Host();
    services.userSettings = std::make_shared<ForgettingStore>();
    TQExport engine(literal, services);
    if (!engine.LoadFile(path)) return 1;
    return engine.SaveFile(target, author) ? 0 : 1;
}

}  // namespace norvik::standalone
