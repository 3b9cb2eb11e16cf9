// The gui command of the dialog program.
#include "gui/cmd_gui.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QSocketNotifier>
#include <cstdlib>
#include <memory>
#include <optional>

#include "host/cancel_request.h"
#include "host/host_services.h"
#include "standalone/cli_context.h"
#include "standalone/cli_messages.h"
#include "standalone/stop_signals.h"
#include "ui/qt_host_messages.h"
#include "ui/tq_exp_mgr.h"

namespace norvik::standalone {
namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Message boxes until a signal asks the program to end; from then on the error output (the
// dialogs have no other), since a box would wait for a click that a logout never gives.
class GuiMessages : public HostMessages {
  public:
    GuiMessages(std::ostream& info, std::ostream& err) : console_(info, err, false) {}
    void ShowText(const std::string& text, int32_t style) override {
        Current().ShowText(text, style);
    }
    int32_t ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                        bool flag) override {
        return Current().ShowMessage(text, style, buttons, flag);
    }
    void ReportError(const std::string& className, const std::string& operation, int32_t number,
                     const std::string& description, bool flag) override {
        Current().ReportError(className, operation, number, description, flag);
    }

  private:
    HostMessages& Current() {
        return StopSignals::Caught() ? static_cast<HostMessages&>(console_) : boxes_;
    }

    ui::QtHostMessages boxes_;
    CliMessages console_;
};

// Once a signal came, ends every event loop of the dialogs; a loop started later returns at
// once. A run in progress has already been asked to stop by the handler and unwinds first.
void EndOnSignal(QSocketNotifier& notifier) {
    QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [&notifier] {
        notifier.setEnabled(false);
        // A run starting now clears the request as it begins; each turn of the pump renews it.
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                         &notifier, [] { RequestCancel(); });
        RequestCancel();
        QCoreApplication::exit(StopSignals::ExitCode());
    });
}

}  // namespace

int CommandGui(CliContext& ctx, std::vector<std::string> args) {
    const char* const usage = "gui [export|gdpdu]";
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
    // Already while the session opens: the dialogs' first event loop hears of a signal.
    const StopSignals stopSignals;
    const std::shared_ptr<HostSession> session = ctx.OpenHostSession();
    static int argc = 1;
    static char name[] = "norvik-export";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    std::optional<QSocketNotifier> notifier;
    if (stopSignals.WakeDescriptor() >= 0) {
        notifier.emplace(stopSignals.WakeDescriptor(), QSocketNotifier::Read);
        EndOnSignal(*notifier);
    }
    ctx.Host().messages =
        std::make_shared<GuiMessages>(ctx.Quiet() ? ctx.Info() : ctx.err, ctx.err);
    int result = 0;
    {
        TQExpMgr manager(ctx.Module(), ctx.Host());
        if (manager.Init(session))
            manager.Show(dialog == "export" ? cTQExport : cTQGDPdU);
        else
            result = 1;
    }
    ctx.Host().messages.reset();
    return StopSignals::Caught() ? StopSignals::ExitCode() : result;
}

}  // namespace norvik::standalone
