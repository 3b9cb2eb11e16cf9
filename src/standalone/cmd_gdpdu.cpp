#include <filesystem>
#include <ostream>
#include <set>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "forms/gdpdu_form.h"
#include "gdpdu/gdpdu_text.h"
#include "gdpdu/tq_gdpdu.h"
#include "host/host_messages.h"
#include "host/module_state.h"
#include "standalone/cli_context.h"
#include "standalone/stop_signals.h"

namespace norvik::standalone {
namespace {

const char* const kUsage =
    "gdpdu FILE --from DATE --to DATE [--out DIR] [--table CAPTION]… [--yes]";

DateTime DateOption(const std::string& name, const std::string& text) {
    if (text.empty()) throw UsageError(name + " fehlt (" + kUsage + ")");
    const std::optional<DateTime> date = PeriodDate(text);
    if (!date) throw UsageError(name + " braucht ein Datum TT.MM.JJJJ: " + text);
    return *date;
}

// As the dialog does on OK: store every listed table's selection and take it over.
void SelectTables(TQGDPdU& gdpdu, const std::vector<std::string>& captions) {
    std::set<std::string> wanted;
    for (const std::string& caption : captions) {
        bool known = false;
        for (const auto& entry : *gdpdu.GxpFiles)
            known = known || EqualsIgnoreCase(entry->Caption, caption);
        if (!known) throw UsageError("unbekannte Tabelle: " + caption);
        wanted.insert(LowerCase(caption));
    }
    for (const auto& entry : *gdpdu.GxpFiles) {
        entry->Selected = !entry->Caption.empty() && wanted.count(LowerCase(entry->Caption)) > 0;
        if (!entry->Caption.empty()) StoreTableSelection(State(), gdpdu.Schnittstelle, *entry);
    }
}

}  // namespace

int CommandGdpdu(CliContext& ctx, std::vector<std::string> args) {
    const std::string from = TakeOption(args, "--from");
    const std::string to = TakeOption(args, "--to");
    const std::string out = TakeOption(args, "--out");
    const std::vector<std::string> tables = TakeRepeatedOption(args, "--table");
    const bool yes = TakeFlag(args, "--yes");
    ExpectArguments(args, 1, 1, kUsage);
    const DateTime von = DateOption("--from", from);
    const DateTime bis = DateOption("--to", to);
    // A period that ends before it begins would build an empty medium that looks complete.
    if (von.DaySerial() > bis.DaySerial())
        throw UsageError("--from " + from + " liegt nach --to " + to);

    ctx.StartSession(yes);
    const std::string path = ctx.ResolveDefinition(args[0], cTQGDPdU);
    TQGDPdU gdpdu;
    // As in the dialog, a profile that loaded with errors still builds what it holds.
    const bool loaded = gdpdu.LoadFile(path);
    if (!tables.empty()) SelectTables(gdpdu, tables);

    std::error_code ec;
    // A folder picked in the dialog is absolute and native; so is the one given here.
    const std::string folder = out.empty()
                                   ? NativePath(gdpdu.Pfad).string()
                                   : std::filesystem::absolute(NativePath(out), ec).string();
    const std::string prefix = folder.empty() ? folder : WithTrailingSeparator(folder);
    for (const auto& entry : *gdpdu.GxpFiles)
        if (entry->Selected && entry->Export->ExpDef)
            entry->Export->ExpDef->Dateiname =
                prefix + FileNameOnly(entry->Export->ExpDef->Dateiname);
    if (folder.empty() || !std::filesystem::is_directory(folder, ec)) {
        Messages().ShowMessage("Der angegebene Pfad existiert nicht!", 3, kButtonsOk, true);
        return 1;
    }
    gdpdu.Pfad = folder;
    gdpdu.DatumVon = von;
    gdpdu.DatumBis = bis;
    {
        const StopSignals signals;
        gdpdu.BuildGDPdU();
        if (StopSignals::Caught()) return StopSignals::ExitCode();
    }
    return loaded && gdpdu.LastOutcome() == GdpduOutcome::Succeeded ? 0 : 1;
}

}  // namespace norvik::standalone
