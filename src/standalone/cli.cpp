#include <functional>
#include <map>
#include <ostream>

#include "common/vb_error.h"
#include "standalone/cli_context.h"
#include "standalone/command_help.h"
#include "standalone/dialog_program.h"

namespace norvik::standalone {
namespace {

using Command = std::function<int(CliContext&, std::vector<std::string>)>;

bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

}  // namespace

int RunCli(std::vector<std::string> args, std::ostream& out, std::ostream& err,
           CommandFunction dialogs) {
    static const std::map<std::string, Command> commands = {
        {"demo", CommandDemo},   {"list", CommandList},         {"show", CommandShow},
        {"save", CommandSave},   {"new", CommandNew},           {"settings", CommandSettings},
        {"run", CommandRun},     {"protocol", CommandProtocol}, {"params", CommandParams},
        {"gdpdu", CommandGdpdu}, {"check", CommandCheck},
#ifdef NORVIK_WITH_GUI
        {"gui", nullptr},  // the dialogs: `dialogs`, else the dialog program
#endif
    };
    const std::vector<std::string> call = args;
    try {
        if (args.empty())
            throw UsageError("kein Befehl angegeben (norvik-export --help zeigt die Befehle)");
        if (args[0] == "--help" || args[0] == "-h") {
            out << ProgramHelp();
            return 0;
        }
        if (args[0] == "--version") {
            out << "norvik-export " NORVIK_EXPORT_VERSION "\n";
            return 0;
        }
        // Global options stand before the command.
        std::string home, user;
        bool quiet = false;
        while (!args.empty() && args[0].rfind("-", 0) == 0) {
            if (args[0] == "-q" || args[0] == "--quiet") {
                quiet = true;
                args.erase(args.begin());
                continue;
            }
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
        if (AsksForHelp(args)) {
            out << CommandHelp(args[0]);
            return 0;
        }
        if (!it->second && !dialogs) HandOverToDialogProgram(call);
        std::vector<std::string> rest(args.begin() + 1, args.end());
        // For cron: nothing on the output when all went well, problems still on the error output.
        quiet = TakeFlag(rest, "--quiet") || quiet;
        quiet = TakeFlag(rest, "-q") || quiet;
        CliContext ctx(home, user, quiet, out, err);
        return it->second ? it->second(ctx, std::move(rest)) : dialogs(ctx, std::move(rest));
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
