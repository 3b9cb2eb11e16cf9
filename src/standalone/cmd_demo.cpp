#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/vb_error.h"
#include "host/module_state.h"
#include "standalone/cli_context.h"
#include "standalone/demo_database.h"
#include "standalone/demo_files.h"

namespace norvik::standalone {
namespace {

namespace fs = std::filesystem;

const char* const kDtdName = "gdpdu-01-08-2002.dtd";

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out) throw VbError(kErrPathFileAccess, "Datei konnte nicht geschrieben werden: " + path.string());
}

// Definitions are kept in the repository as UTF-8 with LF; a host reads them as Windows-1252 with CR LF.
std::string AsDefinitionBytes(std::string_view text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return Utf8ToCp1252(crlf);
}

// The standard's DTD is not ours to ship; take it from where the project's shared files lie.
fs::path FindDtd() {
    std::vector<fs::path> candidates;
    if (const char* dir = std::getenv("NORVIK_SHARED_DIR")) candidates.emplace_back(fs::path(dir) / "gdpdu");
#ifdef NORVIK_SHARED_DIR_DEFAULT
    candidates.emplace_back(fs::path(NORVIK_SHARED_DIR_DEFAULT) / "gdpdu");
#endif
    candidates.emplace_back(fs::current_path() / ".." / "shared" / "gdpdu");
    std::error_code ec;
    for (const fs::path& dir : candidates)
        if (fs::is_regular_file(dir / kDtdName, ec)) return dir / kDtdName;
    return {};
}

}  // namespace

int CommandDemo(CliContext& ctx, std::vector<std::string> args) {
    ExpectArguments(args, 0, 0, "demo");
    const HostConfig& config = ctx.Config();
    fs::create_directories(ctx.Home());
    const fs::path ini = fs::path(ctx.Home()) / "norvik-export.ini";
    if (!fs::exists(ini)) WriteFile(ini, HostConfigText(config));
    for (const std::string& folder : {config.environment.CommonUserDataFolder, config.environment.UserDataFolder})
        fs::create_directories(NativePath(folder));

    ctx.StartSession();
    fs::create_directories(NativePath(gExportPath));
    const DemoCounts counts = CreateDemoData(*gSession->Connection());
    for (const EmbeddedFile& file : DemoFiles())
        WriteFile(NativePath(gExportPath) / file.name, AsDefinitionBytes(file.text));

    ctx.out << "Demo-Verzeichnis: " << ctx.Home() << '\n'
            << "Datenbank: " << config.databaseUrl << " (" << counts.kunden << " Kunden, " << counts.artikel
            << " Artikel, " << counts.sachkonten << " Sachkonten, " << counts.buchungen << " Buchungen)\n"
            << "Definitionen: " << gExportPath << " (" << DemoFiles().size() << " Dateien)\n";
    const fs::path dtd = FindDtd();
    if (dtd.empty()) {
        ctx.out << "Hinweis: " << kDtdName << " nicht gefunden; für GDPdU-Datenträger bitte nach "
                << gExportPath << " kopieren.\n";
    } else {
        fs::copy_file(dtd, NativePath(gExportPath) / kDtdName, fs::copy_options::overwrite_existing);
        ctx.out << "DTD: " << (NativePath(gExportPath) / kDtdName).string() << '\n';
    }
    return ctx.ReportedErrors() == 0 ? 0 : 1;
}

}  // namespace norvik::standalone
