// norvik-export new: a commented definition a newcomer completes by filling in its data source.

#include <filesystem>
#include <fstream>
#include <ostream>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/vb_error.h"
#include "standalone/cli_context.h"

namespace norvik::standalone {
namespace {

namespace fs = std::filesystem;

// The template in UTF-8 with LF; {NAME} and {FILE} are filled in. Comment lines hold no "=", so
// that no reader takes them for a key.
constexpr const char* kTemplate =
    ";***************************************************************************\n"
    ";* Exportdefinition {NAME}\n"
    ";***************************************************************************\n"
    "; Bitte Datenquelle ausfüllen und im Abschnitt [DATENSATZ] die Felder\n"
    "; eintragen, dann: norvik-export run {FILE}\n"
    "; Alle Schlüssel und Spalten beschreibt die Formatreferenz, die mit dem\n"
    "; Programm installiert ist: zless /usr/share/doc/norvik-export/README.md.gz\n"
    "; (Abschnitt Definition files), im Quellbaum README.md.\n"
    "\n"
    "[Allgemein]\n"
    "Name={NAME}\n"
    "; eine Tabelle (Kunden) oder eine Anweisung (SELECT Nr, Name FROM Kunden)\n"
    "Datenquelle=\n"
    "; die Ausgabedatei; %DataPath% ist der Datenordner des Hosts\n"
    "Dateiname=%DataPath%\\{BASE}.csv\n"
    "Info=\n"
    "; ANSI (Windows-1252) oder ASCII (DOS-Umlaute)\n"
    "Dateiformat=ANSI\n"
    "; Variabel (mit Feldtrenner), Fix (jedes Feld genau Länge Zeichen) oder Max\n"
    "FeldLänge=Variabel\n"
    "Feldtrenner=;\n"
    "Texterkenner=\"\n"
    "Dezimaltrenner=,\n"
    "Datumserkenner=\n"
    "Datumstrenner=.\n"
    "Zeittrenner=:\n"
    "Ersatzzeichen='\n"
    "; J schreibt eine Kopfzeile mit den Spaltennamen\n"
    "Kopfzeile=J\n"
    "; J hängt an die Ausgabedatei an, N ersetzt sie\n"
    "Anfuegen=N\n"
    "AnfuegenAenderbar=J\n"
    "AllowEmptySelection=Y\n"
    "; J: alle Vorlaufsätze ([VORLAUFSATZ], [VORLAUFSATZ2] …) vor den Daten, die Kopfzeile danach\n"
    ";AlleVorlaufsaetze=J\n"
    "; J: ein Texterkenner im Text wird verdoppelt (\"\") statt durch Ersatzzeichen ersetzt\n"
    ";TexterkennerDoppeln=J\n"
    "\n"
    "[Parameter]\n"
    "\n"
    "[Selektion]\n"
    "\n"
    "[DATENSATZ]\n"
    "; Eine Zeile je Feld in der Reihenfolge der Ausgabe, zum Beispiel\n"
    ";   FIELD Kundennummer,N,,0      eine Spalte der Datenquelle als Zahl\n"
    ";   FIELD Name,T,,0              eine Spalte als Text in Texterkennern\n"
    ";   FIELD Angelegt,D,dd.mm.yyyy,0  eine Spalte als Datum\n"
    ";   CONST K,T,,1                 ein fester Text\n"
    ";   LAUFWERT DatumVon,D,yyyymmdd,0  ein Wert des Laufs (Startzeit, DatumVon, DatumBis, …)\n"
    "; Spalten: Name, Typ (T Text, V Text, N Zahl, D Datum), Format, Länge,\n"
    "; Schlüssel, Fremdschlüssel, Map, Info. Ohne Felder bleibt jede Zeile leer.\n";

std::string Filled(std::string text, const std::string& key, const std::string& value) {
    for (size_t at; (at = text.find(key)) != std::string::npos;)
        text.replace(at, key.size(), value);
    return text;
}

std::string DefinitionBytes(std::string text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return Utf8ToCp1252(crlf);
}

}  // namespace

int CommandNew(CliContext& ctx, std::vector<std::string> args) {
    const bool force = TakeFlag(args, "--force");
    ExpectArguments(args, 1, 1, "new OUT [--force]");
    const fs::path file = NativePath(AbsolutePath(args[0]));
    std::error_code ec;
    if (fs::exists(file, ec) && !force)
        throw CommandRefused("Die Datei " + file.string() +
                             " gibt es schon; new überschreibt sie nur mit --force.");
    if (!fs::is_directory(file.parent_path(), ec))
        throw CommandRefused("Der Ordner " + file.parent_path().string() + " für " + file.string() +
                             " existiert nicht; bitte anlegen.");
    const std::string base = file.stem().string();
    std::string text = Filled(kTemplate, "{NAME}", base);
    text = Filled(text, "{BASE}", LowerCase(base));
    text = Filled(text, "{FILE}", args[0]);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << DefinitionBytes(text);
    out.close();
    if (!out)
        throw VbError(kErrPathFileAccess,
                      "Datei konnte nicht geschrieben werden: " + file.string());
    ctx.Info() << "Neue Exportdefinition: " << file.string() << '\n';
    return 0;
}

}  // namespace norvik::standalone
