#pragma once
// The component's entry object: the host creates it, hands it its session once (Init) and opens
// the export dialog or the GDPdU dialog (Show). Including it needs no Qt headers.

#include <cstdint>
#include <memory>

#include "engine/tq_export.h"
#include "gdpdu/tq_gdpdu.h"
#include "host/host_services.h"
#include "host/host_session.h"
#include "host/module_state.h"

class QApplication;
class QDialog;

namespace norvik {

namespace ui {
class FrmExport;
class FrmGdpdu;
}  // namespace ui

class TQExpMgr {
  public:
    // The entry object as a host creates it: on the component's state and services, which it
    // passes on to everything it makes.
    TQExpMgr();
    // A manager on the given state and services.
    TQExpMgr(ModuleState& state, HostServices& services);
    // Closes its dialogs and releases the settings object; the session stays with the host.
    ~TQExpMgr();
    TQExpMgr(const TQExpMgr&) = delete;
    TQExpMgr& operator=(const TQExpMgr&) = delete;

    // Starts the session and creates a new engine and profile object; false after a reported error
    // ("TQExpMgr", "Init"), keeping what was filled before it.
    bool Init(const std::shared_ptr<HostSession>& session);
    // Opens the GDPdU dialog (cTQGDPdU) or the export dialog (cTQExport) modally and returns when
    // it is closed; any other mode does nothing. Errors are reported ("TQExpMgr", "Show").
    void Show(int32_t mode);

    // The engine created by Init (empty before).
    std::shared_ptr<TQExport> Export() const { return export_; }
    // Replaces the engine.
    void SetExport(std::shared_ptr<TQExport> engine) { export_ = std::move(engine); }
    // The profile object created by Init (empty before).
    std::shared_ptr<TQGDPdU> GDPdU() const { return gdpdu_; }
    // Replaces the profile object.
    void SetGDPdU(std::shared_ptr<TQGDPdU> profile) { gdpdu_ = std::move(profile); }

    // The dialog of a mode once it was opened, reused by every later Show; null before.
    QDialog* Dialog(int32_t mode) const;

  private:
    void EnsureApplication();

    ModuleState& state_;
    HostServices& services_;
    std::shared_ptr<TQExport> export_;
    std::shared_ptr<TQGDPdU> gdpdu_;
    // Declared before the dialogs, so that it outlives them.
    std::unique_ptr<QApplication> ownApplication_;
    std::unique_ptr<ui::FrmExport> exportDialog_;
    std::unique_ptr<ui::FrmGdpdu> gdpduDialog_;
};

}  // namespace norvik
