#include <functional>
#include <map>
#include <ostream>

#include "common/vb_error.h"
#include "standalone/cli_context.h"

namespace norvik::standalone {
namespace {

const char* const kUsage =
    "Aufruf: norvik-export [--home DIR] [--user NAME] BEFEHL …\n"
    "Befehle:\n"
    "  demo [--force]                    Demo-Verzeichnis anlegen; --force ersetzt Demo-Daten\n"
    "  list [--gdpdu]                    Exportdefinitionen (oder GDPdU-Profile) auflisten\n"
    "  show FILE                         eine Exportdefinition anzeigen, wie sie geladen wird\n"
    "  save FILE OUT [--author NAME]     eine Definition laden und nach OUT schreiben\n"
    "  new OUT                           eine leere Definition nach OUT schreiben\n"
    "  run FILE [--where COND] [--out PATH] [--append|--no-append] [--no-protocol]\n"
    "                                    eine Exportdefinition ausführen\n"
    "  gdpdu FILE --from DATUM --to DATUM [--out DIR] [--table CAPTION]… [--yes]\n"
    "                                    einen GDPdU-Datenträger erstellen\n"
    "  protocol [--last N]               die letzten Protokolleinträge mit ihren Zeilen\n"
    "  settings get|set SECTION KEY [VALUE] [--owner NAME]\n"
    "                                    Host-Einstellungen lesen oder schreiben\n";

using Command = std::function<int(CliContext&, std::vector<std::string>)>;

}  // namespace

int RunCli(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    static const std::map<std::string, Command> commands = {
        {"demo", CommandDemo}, {"list", CommandList},         {"show", CommandShow},
        {"save", CommandSave}, {"new", CommandNew},           {"settings", CommandSettings},
        {"run", CommandRun},   {"protocol", CommandProtocol}, {"gdpdu", CommandGdpdu},
    };
    try {
        if (args.empty())
            throw UsageError("kein Befehl angegeben (norvik-export --help zeigt die Befehle)");
        if (args[0] == "--help" || args[0] == "-h") {
            out << kUsage;
            return 0;
        }
        // Global options stand before the command.
        std::string home, user;
        while (!args.empty() && args[0].rfind("--", 0) == 0) {
            std::vector<std::string> head(args.begin(),
                                          args.begin() + std::min<size_t>(2, args.size()));
            const size_t before = head.size();
            std::string h = TakeOption(head, "--home");
            std::string u = TakeOption(head, "--user");
            if (head.size() == before) throw UsageError("unbekannte Option " + args[0]);
            if (!h.empty()) home = h;
            if (!u.empty()) user = u;
            args.erase(args.begin(),
                       args.begin() + static_cast<std::ptrdiff_t>(before - head.size()));
        }
        if (args.empty())
            throw UsageError("kein Befehl angegeben (norvik-export --help zeigt die Befehle)");
        const auto it = commands.find(args[0]);
        if (it == commands.end()) throw UsageError("unbekannter Befehl " + args[0]);
        CliContext ctx(home, user, out);
        return it->second(ctx, std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const UsageError& e) {
        err << "norvik-export: " << e.what() << '\n';
        return 2;
    } catch (const CommandRefused& e) {
        err << "norvik-export: " << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        const VbError error = ToVbError(e);
        err << "norvik-export: Fehler " << error.Number() << ": " << error.Description() << '\n';
        return 1;
    }
}

}  // namespace norvik::standalone
