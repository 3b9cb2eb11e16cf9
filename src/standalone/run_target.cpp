#include "standalone/run_target.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <ostream>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/vb_error.h"
#include "engine/export_start.h"
#include "host/host_services.h"
#include "standalone/cli_context.h"

namespace norvik::standalone {

namespace fs = std::filesystem;

StdoutFile::StdoutFile() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/norvik-export-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw VbError(kErrPathFileAccess,
                      "Kein temporärer Ordner für die Ausgabe auf die Standardausgabe: " + pattern);
    folder_ = pattern;
}

StdoutFile::~StdoutFile() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

void StdoutFile::CopyTo(std::ostream& stream) const {
    std::ifstream in(Path(), std::ios::binary);
    if (!in) return;
    // Streamed: an export may be larger than the memory.
    stream << in.rdbuf();
    stream.flush();
}

std::string DefinitionTarget(HostServices& services, const TQExportDef& def, bool remember,
                             std::string& note) {
    if (TrimBlanks(def.Dateiname).empty())
        throw CommandRefused("Die Definition " + def.Schnittstelle +
                             " nennt keine Ausgabedatei (Dateiname= in [Allgemein]); bitte mit "
                             "--out eine angeben.");
    const std::string remembered =
        remember && !def.Schnittstelle.empty()
            ? services.UserSettings().Get("TQBExport", "Schnittstelle", def.Schnittstelle, "")
            : "";
    if (!remembered.empty() && remembered == def.Dateiname)
        note = "Ausgabedatei aus der letzten Wahl: " + ShownPath(remembered) +
               " (--out wählt eine andere, --no-remember nimmt die der Definition)";
    return AbsolutePath(def.Dateiname);
}

std::string MissingFolderOf(const std::string& file) {
    const std::string folder = GetPath(file);
    std::error_code ec;
    if (fs::is_directory(NativePath(folder), ec)) return "";
    return "Der Ordner " + ShownPath(folder) + " für die Ausgabedatei " + ShownPath(file) +
           " existiert nicht. Bitte den Ordner anlegen oder mit --out eine andere "
           "Datei angeben.";
}

}  // namespace norvik::standalone
