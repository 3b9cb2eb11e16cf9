#include <filesystem>
#include <ostream>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/vb_error.h"
#include "forms/gdpdu_form.h"
#include "gdpdu/export_folder_dtd.h"
#include "gdpdu/gdpdu_text.h"
#include "gdpdu/tq_gdpdu.h"
#include "gdpdu/tq_xml.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "selection/entry_values.h"
#include "standalone/cli_context.h"
#include "standalone/forgetting_store.h"
#include "standalone/gdpdu_tables.h"
#include "standalone/stop_signals.h"
#include "standalone/terminal_progress.h"

namespace norvik::standalone {
namespace {

namespace fs = std::filesystem;

const char* const kUsage =
    "gdpdu FILE --from DATUM --to DATUM [--out DIR] [--table NAME…|--all-tables] [--zip] "
    "[--no-remember] [--yes] [-q]";

DateTime DateOption(const std::string& name, const std::string& text) {
    if (text.empty()) throw UsageError(name + " fehlt (" + kUsage + ")");
    // The forms --sel takes, so that one script writes its dates one way for both commands.
    const std::optional<CivilDate> day = ParseGermanDay(text);
    DateTime date;
    if (day) date.year = day->year, date.month = day->month, date.day = day->day;
    if (!day || !date.IsValid() || date.IsZeroDate())
        throw UsageError(name + " braucht ein Datum TT.MM.JJJJ: " + text);
    return date;
}

// The build copies the DTD last; without it every table would be exported for a medium that an
// import cannot read.
void RequireDtd(CliContext& ctx) {
    std::string note;
    try {
        note = ProvideExportFolderDtd(ctx.Module().exportPath);
    } catch (const VbError& e) {
        throw CommandRefused(e.Description() + " Es wurde nichts exportiert.");
    }
    if (!note.empty() && !ctx.Quiet()) ctx.err << "norvik-export: " << note << '\n';
}

std::string MediumFolder(const std::string& out, const TQGDPdU& gdpdu) {
    std::error_code ec;
    // A folder picked in the dialog is absolute and native; so is the one given here.
    const std::string folder = out.empty()
                                   ? NativePath(gdpdu.Pfad).string()
                                   : fs::absolute(NativePath(out), ec).lexically_normal().string();
    if (folder.empty())
        throw CommandRefused("Das Profil " + gdpdu.Schnittstelle +
                             " nennt keinen Ausgabeordner (Pfad= in [Allgemein]); bitte mit --out "
                             "einen vorhandenen Ordner angeben.");
    if (!fs::is_directory(folder, ec))
        throw CommandRefused("Der Ausgabeordner " + folder +
                             " existiert nicht. Bitte den Ordner anlegen oder mit --out einen "
                             "vorhandenen Ordner angeben.");
    return folder;
}

}  // namespace

int CommandGdpdu(CliContext& ctx, std::vector<std::string> args) {
    const std::string from = TakeOption(args, "--from");
    const std::string to = TakeOption(args, "--to");
    const std::string out = TakeOption(args, "--out");
    TableChoice tables;
    tables.names = TakeRepeatedOption(args, "--table");
    tables.all = TakeFlag(args, "--all-tables");
    tables.remember = !TakeFlag(args, "--no-remember");
    const bool yes = TakeFlag(args, "--yes");
    const bool zip = TakeFlag(args, "--zip");
    ExpectArguments(args, 1, 1, kUsage);
    if (tables.all && !tables.names.empty())
        throw UsageError("--table und --all-tables schließen einander aus");
    const DateTime von = DateOption("--from", from);
    const DateTime bis = DateOption("--to", to);
    // A period that ends before it begins would build an empty medium that looks complete.
    if (von.DaySerial() > bis.DaySerial())
        throw UsageError("--from " + from + " liegt nach --to " + to);

    ctx.StartSession(yes);
    const std::string path = ctx.ResolveDefinition(args[0], cTQGDPdU);
    ctx.SetSubject("Profil " + ShownPath(path));
    const ForgettingScope forgetting(ctx.Host(), !tables.remember);
    TQGDPdU gdpdu(ctx.Module(), ctx.Host());
    // The dialog shows what a faulty profile holds before anyone builds; here nobody sees that a
    // table is missing, so such a profile builds nothing.
    if (!gdpdu.LoadFile(path)) {
        ctx.err << "norvik-export: Das Profil " << ShownPath(path)
                << " wurde nicht vollständig geladen; der Datenträger wird nicht erstellt.\n";
        return 1;
    }
    const std::string tableNote = ChooseTables(gdpdu, tables);
    const std::string remembered =
        ctx.Host().UserSettings().Get("TQBExport", "Schnittstelle", gdpdu.Schnittstelle, "");
    const std::string folder = MediumFolder(out, gdpdu);
    RequireDtd(ctx);
    if (!ctx.Quiet()) {
        if (out.empty() && !remembered.empty() && remembered == gdpdu.Pfad)
            ctx.err << "norvik-export: Ausgabeordner aus der letzten Wahl: " << folder
                    << " (--out wählt einen anderen, --no-remember nimmt den des Profils)\n";
        if (!tableNote.empty()) ctx.err << "norvik-export: " << tableNote << '\n';
    }
    StoreChosenTables(gdpdu, tables);

    const std::string prefix = WithTrailingSeparator(folder);
    for (const auto& entry : *gdpdu.GxpFiles)
        if (entry->Selected && entry->Export->ExpDef)
            entry->Export->ExpDef->Dateiname =
                prefix + FileNameOnly(entry->Export->ExpDef->Dateiname);
    gdpdu.Pfad = folder;
    gdpdu.DatumVon = von;
    gdpdu.DatumBis = bis;
    gdpdu.HandoverZip = zip;
    {
        const MediumProgress progress(ctx.Quiet() ? ctx.Info() : ctx.err, gdpdu);
        const StopSignals signals;
        gdpdu.BuildGDPdU();
        // A signal that came while the finished medium went in place stopped nothing.
        if (StopSignals::Caught() && gdpdu.LastOutcome() != GdpduOutcome::Succeeded)
            return StopSignals::ExitCode();
    }
    return gdpdu.LastOutcome() == GdpduOutcome::Succeeded ? 0 : 1;
}

}  // namespace norvik::standalone
