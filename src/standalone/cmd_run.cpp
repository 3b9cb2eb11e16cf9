#include <cstdio>
#include <ostream>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/text_helpers.h"
#include "common/vb_error.h"
#include "engine/export_start.h"
#include "engine/tq_export.h"
#include "forms/build_sel.h"
#include "host/cancel_request.h"
#include "host/db_protocol.h"
#include "host/module_state.h"
#include "host/protocol.h"
#include "standalone/cli_context.h"
#include "standalone/stop_signals.h"
#include "standalone/terminal_progress.h"

namespace norvik::standalone {
namespace {

// The summary uses CR LF between its lines, the terminal wants LF.
std::string ForTerminal(std::string text) {
    return ReplaceText(std::move(text), "\r\n", "\n");
}

// The text with each mention of the path in the platform's separators; the library keeps the
// path as the definition wrote it.
std::string WithShownPath(const std::string& text, const std::string& path) {
    const std::string shown = ShownPath(path);
    return path.empty() || shown == path ? text : ReplaceText(text, path, shown);
}

// The condition of the definition's criteria filled as the dialog's selection control fills them;
// empty without entries.
std::string SelectionCondition(const TQExportDef& def, const std::vector<std::string>& entries) {
    if (entries.empty()) return "";
    SelectionModel selection;
    BuildSelection(def, State().session, selection);
    for (const std::string& entry : entries) {
        const size_t eq = entry.find('=');
        if (eq == std::string::npos || eq == 0) throw UsageError("--sel braucht CAPTION=WERT");
        selection.SetEntry(entry.substr(0, eq), entry.substr(eq + 1));
    }
    return selection.Condition();
}

std::string JoinConditions(const std::string& a, const std::string& b) {
    if (TrimBlanks(a).empty()) return b;
    if (TrimBlanks(b).empty()) return a;
    return "(" + a + ") AND (" + b + ")";
}

}  // namespace

int CommandRun(CliContext& ctx, std::vector<std::string> args) {
    const std::string usage =
        "run FILE [--where COND] [--out PATH] [--append|--no-append] [--protocol|--no-protocol] "
        "[--sel CAPTION=VALUE]…";
    const std::string where = TakeOption(args, "--where");
    const std::string out = TakeOption(args, "--out");
    const bool append = TakeFlag(args, "--append");
    const bool noAppend = TakeFlag(args, "--no-append");
    const std::vector<std::string> selections = TakeRepeatedOption(args, "--sel");
    const bool protocol = TakeFlag(args, "--protocol");
    const bool noProtocol = TakeFlag(args, "--no-protocol");
    if (append && noAppend) throw UsageError("--append und --no-append schließen einander aus");
    if (protocol && noProtocol)
        throw UsageError("--protocol und --no-protocol schließen einander aus");
    ExpectArguments(args, 1, 1, usage);
    const std::string path = ctx.ResolveDefinition(args[0], cTQExport);
    ctx.StartSession();

    TQExport engine;
    if (!engine.LoadFile(path)) return 1;
    const TQExportDef& def = *engine.ExpDef;
    // The dialog's check box cannot be changed for such a definition; neither can the switch.
    if ((append || noAppend) && def.AnfuegenAenderbar != "J")
        throw UsageError("Die Definition " + def.Schnittstelle +
                         " legt das Anfügen fest (AnfuegenAenderbar ist nicht \"J\"); --append "
                         "und --no-append sind für sie nicht möglich");
    ExportChoice choice;
    // Without a switch the stored choice holds, as it does for the dialog.
    choice.protocol = protocol || noProtocol ? std::optional<bool>(protocol) : std::nullopt;
    choice.append = append || (!noAppend && UpperCase(def.Anfügen) == "J");
    choice.condition = JoinConditions(where, SelectionCondition(def, selections));
    choice.fileName = out.empty() ? engine.ExpDef->Dateiname : out;
    if (!PrepareExport(engine, choice)) return 1;

    TerminalProgress progress(ctx.err);
    engine.Advise(&progress);
    int32_t result = 0;
    {
        StopSignals signals;
        result = engine.BuildExport();
        if (result == kErrUserInterrupt && StopSignals::Caught()) {
            engine.Advise(nullptr);
            ctx.out << ForTerminal(progress.State()) << '\n';
            return StopSignals::ExitCode();
        }
    }
    engine.Advise(nullptr);
    ctx.out << ForTerminal(progress.State()) << '\n';
    if (!engine.LastSummary().empty())
        ctx.out << ForTerminal(
                       WithShownPath(engine.LastSummary(), AbsolutePath(engine.ExpDef->Dateiname)))
                << '\n';
    return result == 0 ? 0 : 1;
}

int CommandProtocol(CliContext& ctx, std::vector<std::string> args) {
    const std::string last = TakeOption(args, "--last");
    ExpectArguments(args, 0, 0, "protocol [--last N]");
    const std::optional<double> n =
        last.empty() ? std::optional<double>(10) : ParseInvariantNumber(last);
    if (!n || *n < 1 || *n > 1e9 || *n != static_cast<int64_t>(*n))
        throw UsageError("--last braucht eine Zahl ab 1");
    ctx.StartSession();
    const auto entries =
        ReadProtocolEntries(*State().Session().Connection(), static_cast<int64_t>(*n));
    if (entries.empty()) ctx.out << "Keine Protokolleinträge.\n";
    for (const ProtocolEntry& e : entries) {
        ctx.out << e.created << "  " << e.title << "  " << e.interfaceName << "  (" << e.user
                << ", " << e.dateText << ")\n";
        if (!e.fileOrFolder.empty())
            ctx.out << "  Datei/Ordner: " << ShownPath(e.fileOrFolder) << '\n';
        if (!e.info.empty()) ctx.out << "  Info: " << e.info << '\n';
        for (const std::string& line : e.lines) {
            ctx.out << "  | ";
            for (char c : ForTerminal(WithShownPath(line, e.fileOrFolder)))
                ctx.out << c << (c == '\n' ? "  | " : "");
            ctx.out << '\n';
        }
    }
    return 0;
}

}  // namespace norvik::standalone
