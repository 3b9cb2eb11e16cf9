// norvik-export gui: the dialogs, opened through the component's entry object as any host would.

#include <QApplication>
#include <memory>

#include "host/host_services.h"
#include "standalone/cli_context.h"
#include "ui/qt_host_messages.h"
#include "ui/tq_exp_mgr.h"

namespace norvik::standalone {

int CommandGui(CliContext& ctx, std::vector<std::string> args) {
    const char* const usage = "Aufruf: norvik-export gui [export|gdpdu]";
    ExpectArguments(args, 0, 1, usage);
    const std::string dialog = args.empty() ? "export" : args[0];
    if (dialog != "export" && dialog != "gdpdu")
        throw UsageError("unbekannter Dialog " + dialog + " (" + usage + ")");
    const std::shared_ptr<HostSession> session = ctx.OpenHostSession();
    static int argc = 1;
    static char name[] = "norvik-export";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    Services().messages = std::make_shared<ui::QtHostMessages>();
    int result = 0;
    {
        TQExpMgr manager;
        if (manager.Init(session))
            manager.Show(dialog == "export" ? cTQExport : cTQGDPdU);
        else
            result = 1;
    }
    Services().messages.reset();
    return result;
}

}  // namespace norvik::standalone
