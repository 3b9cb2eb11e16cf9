#include <cstdio>
#include <ostream>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/text_helpers.h"
#include "common/vb_error.h"
#include "definition/yes_no_keys.h"
#include "engine/export_start.h"
#include "engine/shown_notes.h"
#include "engine/tq_export.h"
#include "forms/build_sel.h"
#include "host/cancel_request.h"
#include "host/db_protocol.h"
#include "host/module_state.h"
#include "host/protocol.h"
#include "selection/selected_period.h"
#include "standalone/cli_context.h"
#include "standalone/forgetting_store.h"
#include "standalone/run_target.h"
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

// The captions of the definition's criteria, joined by commas.
std::string Captions(const TQExportDef& def) {
    std::string captions;
    for (const auto& sel : *def.Selections)
        captions += (captions.empty() ? "" : ", ") + sel->Caption;
    return captions;
}

// The condition of the definition's criteria filled as the dialog's selection control fills them;
// empty without entries.
std::string SelectionCondition(CliContext& ctx, const TQExportDef& def,
                               const std::vector<std::string>& entries, DatePeriod& period) {
    if (entries.empty()) return "";
    SelectionModel selection(ctx.Host());
    BuildSelection(def, ctx.Module().session, selection);
    for (const std::string& entry : entries) {
        const size_t eq = entry.find('=');
        if (eq == std::string::npos || eq == 0) throw UsageError("--sel braucht CAPTION=WERT");
        const std::string caption = entry.substr(0, eq);
        if (!selection.Criteria.Find(caption)) {
            const std::string captions = Captions(def);
            throw UsageError("unbekanntes Selektionskriterium " + caption + " (" +
                             (captions.empty() ? "die Definition hat keine Kriterien"
                                               : "Kriterien: " + captions) +
                             ")");
        }
        selection.SetEntry(entry.substr(0, eq), entry.substr(eq + 1));
    }
    std::string condition = selection.Condition();
    period = SelectedPeriod(selection.Criteria);
    return condition;
}

// The dialog asks for criteria here; the command line names its options and the criteria.
void RequireSelection(const TQExportDef& def, const std::string& condition) {
    if (!TrimBlanks(condition).empty() || FlagsOf(def).emptySelectionAllowed) return;
    const std::string captions = Captions(def);
    throw CommandRefused(
        "Die Definition " + def.Schnittstelle +
        " verlangt Selektionskriterien (AllowEmptySelection=" + def.AllowEmptySelection +
        "): bitte --sel CAPTION=WERT" + (captions.empty() ? "" : " (Kriterien: " + captions + ")") +
        " oder --where BEDINGUNG angeben.");
}

IfEmpty ParseIfEmpty(const std::string& value) {
    if (value == "keep") return IfEmpty::Keep;
    if (value == "write") return IfEmpty::Write;
    if (value == "fail") return IfEmpty::Fail;
    throw UsageError("--if-empty braucht keep, write oder fail: " + value);
}

std::string JoinConditions(const std::string& a, const std::string& b) {
    if (TrimBlanks(a).empty()) return b;
    if (TrimBlanks(b).empty()) return a;
    return "(" + a + ") AND (" + b + ")";
}

constexpr size_t kNamedChangesShown = 10;

}  // namespace

int CommandRun(CliContext& ctx, std::vector<std::string> args) {
    const std::string usage =
        "run FILE [--where COND] [--out PATH|-] [--append|--no-append] "
        "[--protocol|--no-protocol] [--sel CAPTION=WERT]… [--if-empty keep|write|fail] "
        "[--no-remember] [-q]";
    const std::string where = TakeOption(args, "--where");
    const std::optional<std::string> out = TakeGivenOption(args, "--out");
    const bool append = TakeFlag(args, "--append");
    const bool noAppend = TakeFlag(args, "--no-append");
    const std::vector<std::string> selections = TakeRepeatedOption(args, "--sel");
    const bool protocol = TakeFlag(args, "--protocol");
    const bool noProtocol = TakeFlag(args, "--no-protocol");
    const bool noRemember = TakeFlag(args, "--no-remember");
    const std::optional<std::string> ifEmptyOption = TakeGivenOption(args, "--if-empty");
    const IfEmpty ifEmpty = ParseIfEmpty(ifEmptyOption.value_or("keep"));
    if (append && noAppend) throw UsageError("--append und --no-append schließen einander aus");
    if (protocol && noProtocol)
        throw UsageError("--protocol und --no-protocol schließen einander aus");
    if (out && out->empty())
        throw UsageError(
            "--out braucht eine Datei oder - für die Standardausgabe (ohne --out gilt "
            "die Datei der Definition)");
    const bool toStdout = out && *out == "-";
    if (toStdout && append) throw UsageError("--append geht nicht mit --out -");
    ExpectArguments(args, 1, 1, usage);
    // The output carries the export; what is said about it goes to the error output.
    if (toStdout) ctx.InfoToErrorOutput();
    const std::string path = ctx.ResolveDefinition(args[0], cTQExport);
    ctx.StartSession();
    ctx.SetSubject("Definition " + ShownPath(path));
    // An export to the output leaves no file a later run could take.
    const ForgettingScope forgetting(ctx.Host(), noRemember || toStdout);

    TQExport engine(ctx.Module(), ctx.Host());
    if (!engine.LoadFile(path)) return 1;
    engine.WhenEmpty = ifEmpty;
    const TQExportDef& def = *engine.ExpDef;
    // The dialog's check box cannot be changed for such a definition; neither can the switch.
    if ((append || noAppend) && !FlagsOf(def).appendChangeable)
        throw UsageError("Die Definition " + def.Schnittstelle +
                         " legt das Anfügen fest (AnfuegenAenderbar ist nicht \"J\"); --append "
                         "und --no-append sind für sie nicht möglich");
    ExportChoice choice;
    // Without a switch the stored choice holds, as it does for the dialog.
    choice.protocol = protocol || noProtocol ? std::optional<bool>(protocol) : std::nullopt;
    choice.append = !toStdout && (append || (!noAppend && FlagsOf(def).append));
    DatePeriod period;
    choice.condition = JoinConditions(where, SelectionCondition(ctx, def, selections, period));
    choice.periodFrom = period.from;
    choice.periodTo = period.to;
    RequireSelection(def, choice.condition);
    std::optional<StdoutFile> stdoutFile;
    if (toStdout) stdoutFile.emplace();
    std::string note;
    choice.fileName = toStdout ? stdoutFile->Path()
                      : out    ? AbsolutePath(*out)
                               : DefinitionTarget(ctx.Host(), def, !noRemember, note);
    if (!note.empty() && !ctx.Quiet()) ctx.err << "norvik-export: " << note << '\n';
    if (const std::string missing = MissingFolderOf(choice.fileName); !missing.empty()) {
        ProtocolFailedStart(engine, choice.protocol, choice.fileName, kErrPathNotFound, missing);
        throw CommandRefused(missing);
    }
    if (!PrepareExport(engine, choice)) return 1;

    TerminalProgress progress(ctx.Quiet() ? ctx.Info() : ctx.err, engine);
    engine.CountRows = progress.Shown();
    engine.Advise(&progress);
    int32_t result = 0;
    {
        StopSignals signals;
        result = engine.BuildExport();
        // The stop has been reported as the run's error, once.
        if (result == kErrUserInterrupt && StopSignals::Caught()) {
            engine.Advise(nullptr);
            return StopSignals::ExitCode();
        }
    }
    engine.Advise(nullptr);
    // A failed run has reported its error; the state would say it a second time.
    if (result != 0) return 1;
    if (stdoutFile) stdoutFile->CopyTo(ctx.out);
    const auto shown = [&](std::string text) {
        if (stdoutFile) text = ReplaceText(text, stdoutFile->Path(), "- (Standardausgabe)");
        return ForTerminal(WithShownPath(text, AbsolutePath(engine.ExpDef->Dateiname)));
    };
    ctx.Info() << ForTerminal(progress.State()) << '\n';
    // The notes are warnings: said on the error output, also with -q, and not twice.
    std::string summary = engine.LastSummary();
    for (const RunNote& note : engine.LastNotes())
        summary = ReplaceText(summary, "\r\n" + note.text, "");
    if (!summary.empty()) ctx.Info() << shown(summary) << '\n';
    bool noData = false;
    // A terminal names the first values changed one by one; the protocol names them all.
    for (const RunNote& note : ShownNotes(engine.LastNotes(), kNamedChangesShown)) {
        std::string text = note.text;
        if (note.kind == RunNote::Kind::NoData) {
            noData = true;
            // The output has no earlier state a later reader could mistake for this run's.
            if (stdoutFile && ifEmpty != IfEmpty::Write)
                text = std::string("Keine Daten: Die Auswahl ergab keine Datensätze") +
                       (ifEmpty == IfEmpty::Fail ? ", der Lauf gilt als fehlgeschlagen" : "") +
                       "; auf die Standardausgabe wurde nichts geschrieben.";
        }
        ctx.err << "norvik-export: " << shown(text) << '\n';
    }
    return noData && ifEmpty == IfEmpty::Fail ? 1 : 0;
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
        ReadProtocolEntries(*ctx.Module().Session().Connection(), static_cast<int64_t>(*n));
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
