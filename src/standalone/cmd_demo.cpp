#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/vb_error.h"
#include "db/secret_text.h"
#include "host/module_state.h"
#include "medium/medium_names.h"
#include "medium/published_dtds.h"
#include "standalone/cli_context.h"
#include "standalone/demo_database.h"
#include "standalone/demo_files.h"

namespace norvik::standalone {
namespace {

// The information lookups the demo definitions name ("AUSK_…"), as the host's configuration maps
// them to statements on its database.
constexpr const char* kDemoLookups =
    "\n[Auskunft]\n"
    "Kundenauskunft=SELECT Kundennummer, Name || ', ' || COALESCE(Vorname, '') || ' (' || Ort || "
    "')' AS Anzeige FROM Kunden ORDER BY Kundennummer\n"
    "Artikelauskunft=SELECT Artikelnummer, Bezeichnung FROM Artikel ORDER BY Artikelnummer\n";

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out)
        throw VbError(kErrPathFileAccess,
                      "Datei konnte nicht geschrieben werden: " + path.string());
}

// Definitions are kept in the repository as UTF-8 with LF; a host reads them as Windows-1252 with
// CR LF.
std::string AsDefinitionBytes(std::string_view text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return Utf8ToCp1252(crlf);
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// A home may hold someone's own tables and definitions under the demo's names; without --force
// the demo names them and leaves everything as it is.
void RefuseToOverwrite(db::Connection& connection, const fs::path& exportFolder,
                       const std::string& shownUrl) {
    std::string found;
    const std::vector<std::string> tables = ExistingDemoTables(connection);
    if (!tables.empty()) found = "die Tabellen " + Joined(tables) + " in der Datenbank " + shownUrl;
    std::vector<std::string> files;
    std::error_code ec;
    for (const EmbeddedFile& file : DemoFiles())
        if (fs::exists(exportFolder / file.name, ec)) files.push_back(file.name);
    if (!files.empty())
        found += (found.empty() ? "" : " und ") + std::string("die Dateien ") + Joined(files) +
                 " im Ordner " + exportFolder.string();
    if (found.empty()) return;
    throw CommandRefused("demo überschreibt nichts: Es gibt schon " + found +
                         ". Mit demo --force werden sie ersetzt; sonst bitte mit --home ein "
                         "anderes Verzeichnis angeben.");
}

}  // namespace

int CommandDemo(CliContext& ctx, std::vector<std::string> args) {
    const bool force = TakeFlag(args, "--force");
    ExpectArguments(args, 0, 0, "demo [--force]");
    const HostConfig& config = ctx.Config();
    const std::string shownUrl = db::RedactSecrets(config.databaseUrl, config.databaseUrl);
    // The demo drops and creates tables; a server database is shared and never the demo's own.
    if (!config.databaseUrl.starts_with("sqlite:"))
        throw CommandRefused(
            "demo legt seine Tabellen nur in einer SQLite-Datenbank an, konfiguriert ist aber " +
            shownUrl + ". Bitte mit --home ein eigenes Demo-Verzeichnis angeben.");
    fs::create_directories(ctx.Home());
    ctx.AllowNewDatabase();
    ctx.StartSession();
    db::Connection& connection = *ctx.Module().Session().Connection();
    const fs::path exportFolder = NativePath(ctx.Module().exportPath);
    if (!force) RefuseToOverwrite(connection, exportFolder, shownUrl);

    const fs::path ini = fs::path(ctx.Home()) / "norvik-export.ini";
    if (!fs::exists(ini)) WriteFile(ini, HostConfigText(config) + kDemoLookups);
    for (const std::string& folder :
         {config.environment.CommonUserDataFolder, config.environment.UserDataFolder})
        fs::create_directories(NativePath(folder));
    fs::create_directories(exportFolder);
    // The demo profile's medium folder (Pfad=%DataPath%\GDPdU), so that a first build finds it.
    fs::create_directories(NativePath(config.environment.CommonUserDataFolder) / "GDPdU");
    DemoCounts counts;
    try {
        counts = CreateDemoData(connection);
    } catch (const VbError& e) {
        throw VbError(e.Number(),
                      "Die Demo-Daten konnten nicht angelegt werden, die Datenbank ist "
                      "unverändert: " +
                          e.Description());
    }
    for (const EmbeddedFile& file : DemoFiles())
        WriteFile(exportFolder / file.name, AsDefinitionBytes(file.text));

    ctx.out << "Demo-Verzeichnis: " << ctx.Home() << '\n'
            << "Datenbank: " << shownUrl << " (" << counts.kunden << " Kunden, " << counts.artikel
            << " Artikel, " << counts.sachkonten << " Sachkonten, " << counts.buchungen
            << " Buchungen)\n"
            << "Definitionen: " << ShownPath(ctx.Module().exportPath) << " (" << DemoFiles().size()
            << " Dateien)\n";
    const fs::path dtd = FindPublishedDtd(kGdpduDtdName);
    if (dtd.empty()) {
        ctx.out << "Hinweis: die veröffentlichte " << kGdpduDtdName
                << " liegt nicht bei der Installation; für GDPdU-Datenträger bitte nach "
                << ShownPath(ctx.Module().exportPath) << " kopieren.\n";
    } else {
        fs::copy_file(dtd, NativePath(ctx.Module().exportPath) / kGdpduDtdName,
                      fs::copy_options::overwrite_existing);
        ctx.out << "DTD: " << (NativePath(ctx.Module().exportPath) / kGdpduDtdName).string()
                << '\n';
    }
    return 0;
}

}  // namespace norvik::standalone
