#include <cstdio>
#include <ostream>

#include "common/text_helpers.h"
#include "engine/export_start.h"
#include "engine/tq_export.h"
#include "host/module_state.h"
#include "host/db_protocol.h"
#include "host/protocol.h"
#include "standalone/cli_context.h"
#include "standalone/terminal_progress.h"

namespace norvik::standalone {
namespace {

// The summary uses CR LF between its lines, the terminal wants LF.
std::string ForTerminal(std::string text) { return ReplaceText(std::move(text), "\r\n", "\n"); }

}  // namespace

int CommandRun(CliContext& ctx, std::vector<std::string> args) {
    const std::string usage = "run FILE [--where COND] [--out PATH] [--append|--no-append] [--no-protocol]";
    const std::string where = TakeOption(args, "--where");
    const std::string out = TakeOption(args, "--out");
    const bool append = TakeFlag(args, "--append");
    const bool noAppend = TakeFlag(args, "--no-append");
    const bool noProtocol = TakeFlag(args, "--no-protocol");
    if (append && noAppend) throw UsageError("--append und --no-append schließen einander aus");
    ExpectArguments(args, 1, 1, usage);
    const std::string path = ctx.ResolveDefinition(args[0], cTQExport);
    ctx.StartSession();

    TQExport engine;
    engine.LoadFile(path);
    if (ctx.ReportedErrors() != 0) return 1;
    ExportChoice choice;
    choice.protocol = !noProtocol;
    choice.append = append || (!noAppend && engine.ExpDef->Anfügen == "J");
    choice.condition = where;
    choice.fileName = out.empty() ? engine.ExpDef->Dateiname : out;
    if (!PrepareExport(engine, choice)) return 1;

    TerminalProgress progress(stderr);
    engine.Advise(&progress);
    const int32_t result = engine.BuildExport();
    engine.Advise(nullptr);
    ctx.out << ForTerminal(progress.State()) << '\n';
    if (!engine.LastSummary().empty()) ctx.out << ForTerminal(engine.LastSummary()) << '\n';
    return result == 0 ? 0 : 1;
}

int CommandProtocol(CliContext& ctx, std::vector<std::string> args) {
    const std::string last = TakeOption(args, "--last");
    ExpectArguments(args, 0, 0, "protocol [--last N]");
    const std::optional<double> n = last.empty() ? std::optional<double>(10) : ParseInvariantNumber(last);
    if (!n || *n < 1 || *n > 1e9 || *n != static_cast<int64_t>(*n)) throw UsageError("--last braucht eine Zahl ab 1");
    ctx.StartSession();
    const auto entries = ReadProtocolEntries(*gSession->Connection(), static_cast<int64_t>(*n));
    if (entries.empty()) ctx.out << "Keine Protokolleinträge.\n";
    for (const ProtocolEntry& e : entries) {
        ctx.out << e.created << "  " << e.title << "  " << e.interfaceName << "  (" << e.user << ", " << e.dateText
                << ")\n";
        if (!e.fileOrFolder.empty()) ctx.out << "  Datei/Ordner: " << e.fileOrFolder << '\n';
        if (!e.info.empty()) ctx.out << "  Info: " << e.info << '\n';
        for (const std::string& line : e.lines) {
            ctx.out << "  | ";
            for (char c : ForTerminal(line)) ctx.out << c << (c == '\n' ? "  | " : "");
            ctx.out << '\n';
        }
    }
    return 0;
}

}  // namespace norvik::standalone
