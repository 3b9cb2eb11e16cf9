#include "ui/tq_exp_mgr.h"

#include <QApplication>

#include "common/vb_error.h"
#include "ui/frm_export.h"
#include "ui/frm_gdpdu.h"
#include "ui/german_translations.h"
#include "ui/qt_host_messages.h"

namespace norvik {
namespace {

const char* const kClass = "TQExpMgr";

// Lends the dialogs message boxes while they are open, when the host has no message service of
// its own: a console is no place to ask a person at a window.
class DialogMessages {
  public:
    explicit DialogMessages(HostServices& services) : services_(services) {
        if (!services_.messages) {
            services_.messages = std::make_shared<ui::QtHostMessages>();
            lent_ = true;
        }
    }
    ~DialogMessages() {
        if (lent_) services_.messages.reset();
    }
    DialogMessages(const DialogMessages&) = delete;
    DialogMessages& operator=(const DialogMessages&) = delete;

  private:
    HostServices& services_;
    bool lent_ = false;
};

}  // namespace

TQExpMgr::TQExpMgr() : TQExpMgr(State(), Services()) {}

TQExpMgr::TQExpMgr(ModuleState& state, HostServices& services)
    : state_(state), services_(services) {}

TQExpMgr::~TQExpMgr() {
    exportDialog_.reset();
    gdpduDialog_.reset();
    state_.hostSettings.reset();
    export_.reset();
    gdpdu_.reset();
}

bool TQExpMgr::Init(const std::shared_ptr<HostSession>& session) {
    try {
        if (!session) throw VbError(kErrObjectNotSet);
        SessionStart(state_, session);
        export_ = std::make_shared<TQExport>(state_, services_);
        gdpdu_ = std::make_shared<TQGDPdU>(state_, services_);
        return true;
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), kClass, "Init", e);
        return false;
    }
}

void TQExpMgr::Show(int32_t mode) {
    if (mode != cTQGDPdU && mode != cTQExport) return;
    try {
        EnsureApplication();
        DialogMessages messages(services_);
        QDialog* dialog = nullptr;
        if (mode == cTQGDPdU) {
            if (gdpduDialog_)
                gdpduDialog_->Load();
            else
                gdpduDialog_ = std::make_unique<ui::FrmGdpdu>(nullptr, state_, services_);
            dialog = gdpduDialog_.get();
        } else {
            if (exportDialog_)
                exportDialog_->Load();
            else
                exportDialog_ = std::make_unique<ui::FrmExport>(nullptr, state_, services_);
            dialog = exportDialog_.get();
        }
        dialog->exec();
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), kClass, "Show", e);
    }
}

QDialog* TQExpMgr::Dialog(int32_t mode) const {
    if (mode == cTQGDPdU) return gdpduDialog_.get();
    if (mode == cTQExport) return exportDialog_.get();
    return nullptr;
}

void TQExpMgr::EnsureApplication() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        ui::InstallGermanTranslations();
        return;
    }
    // A host without a window system of its own: the dialogs bring theirs.
    if (QCoreApplication::instance())
        throw VbError(kErrCannotCreateObject, "Die Dialoge brauchen eine Anwendung mit Fenstern.");
    static int argc = 1;
    static char name[] = "norvik-export";
    static char* argv[] = {name, nullptr};
    ownApplication_ = std::make_unique<QApplication>(argc, argv);
    ui::InstallGermanTranslations();
}

}  // namespace norvik
