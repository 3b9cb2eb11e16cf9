// norvik-export gui: the dialogs on the home's session.

#include <QApplication>
#include <memory>

#include "host/host_services.h"
#include "standalone/cli_context.h"
#include "ui/frm_export.h"
#include "ui/qt_host_messages.h"

namespace norvik::standalone {

int CommandGui(CliContext& ctx, std::vector<std::string> args) {
    const char* const usage = "Aufruf: norvik-export gui [export]";
    ExpectArguments(args, 0, 1, usage);
    const std::string dialog = args.empty() ? "export" : args[0];
    if (dialog != "export") throw UsageError("unbekannter Dialog " + dialog + " (" + usage + ")");
    ctx.StartSession();
    static int argc = 1;
    static char name[] = "norvik-export";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Datenexport");
    Services().messages = std::make_shared<ui::QtHostMessages>();
    {
        ui::FrmExport dialog_(nullptr);
        dialog_.exec();
    }
    Services().messages.reset();
    return 0;
}

}  // namespace norvik::standalone
