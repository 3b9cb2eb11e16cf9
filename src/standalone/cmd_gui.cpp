// norvik-export gui: the dialogs, opened through the component's entry object as any host would.

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "host/host_services.h"
#include "standalone/cli_context.h"
#include "ui/qt_host_messages.h"
#include "ui/tq_exp_mgr.h"

namespace norvik::standalone {
namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

int CommandGui(CliContext& ctx, std::vector<std::string> args) {
    const char* const usage = "Aufruf: norvik-export gui [export|gdpdu]";
    ExpectArguments(args, 0, 1, usage);
    const std::string dialog = args.empty() ? "export" : args[0];
    if (dialog != "export" && dialog != "gdpdu")
        throw UsageError("unbekannter Dialog " + dialog + " (" + usage + ")");
    // Without a display Qt would abort the program; a platform named on purpose (offscreen) is
    // the caller's choice.
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("QT_QPA_PLATFORM"))
        throw CommandRefused(
            "Die Dialoge brauchen eine grafische Oberfläche, aber weder DISPLAY noch "
            "WAYLAND_DISPLAY ist gesetzt. Bitte in einer Desktop-Sitzung starten (über SSH mit "
            "ssh -X) oder die Befehle run und gdpdu verwenden.");
    const std::shared_ptr<HostSession> session = ctx.OpenHostSession();
    static int argc = 1;
    static char name[] = "norvik-export";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    ctx.Host().messages = std::make_shared<ui::QtHostMessages>();
    int result = 0;
    {
        TQExpMgr manager(ctx.Module(), ctx.Host());
        if (manager.Init(session))
            manager.Show(dialog == "export" ? cTQExport : cTQGDPdU);
        else
            result = 1;
    }
    ctx.Host().messages.reset();
    return result;
}

}  // namespace norvik::standalone
