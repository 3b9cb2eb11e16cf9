#pragma once
// A GDPdU profile (.GDU) in memory with the period of the data medium to build from it.

#include <memory>
#include <string>

#include "common/value.h"
#include "engine/tq_export.h"
#include "gdpdu/tq_gxp_files.h"
#include "host/host_services.h"
#include "host/module_state.h"

namespace norvik {

// How the last BuildGDPdU ended.
enum class GdpduOutcome {
    NotRun,     // no build yet
    Succeeded,  // the success message was shown
    Failed,     // the failure message was shown
    Stopped,    // the user stopped it; the folder is as it was
    Aborted,    // an error ended the build before its message
};

// What a build tells a progress window while it runs; each table's export events arrive too.
class GdpduBuildEvents : public TQExportEvents {
  public:
    // The tables are about to be exported.
    virtual void BuildStarted(int32_t /*tables*/) {}
    // A table's export begins: its number from 1, the number of tables, its caption.
    virtual void TableStarted(int32_t /*number*/, int32_t /*tables*/,
                              const std::string& /*caption*/) {}
    // The finished medium is being checked.
    virtual void Checking() {}
    // The checked medium is being packed into its ZIP; ExportProgress tells the share written.
    virtual void Packing() {}
    // The build is over; its one final message follows.
    virtual void BuildEnded() {}
};

class TQGDPdU {
  public:
    // A profile on a module state and the host's services.
    TQGDPdU(ModuleState& state, HostServices& services) : state_(state), services_(services) {}

    // Adds the entry to GxpFiles; a refused one (null, or its file already listed) is shown.
    void AddGxpFile(const std::shared_ptr<TQGxpFile>& iGxpFile);
    // Reads a .GDU profile: names, folder, tables with their definitions and remembered selections.
    // The period is kept; errors are reported, not raised. True when the profile and every table's
    // definition loaded without an error.
    bool LoadFile(const std::string& FileName);
    // Exports the selected tables into Pfad, writes Index.xml, copies the DTD, checks the medium,
    // packs it when HandoverZip says so, remembers the folder and tells the user the outcome.
    void BuildGDPdU();
    // Attaches a listener of the build (null detaches). With one, the tables' summaries and the
    // build's texts are not shown one by one but gathered into the final message.
    void Advise(GdpduBuildEvents* listener) { listener_ = listener; }
    // The listener, null when none.
    GdpduBuildEvents* Listener() const { return listener_; }
    // The outcome of the last BuildGDPdU.
    GdpduOutcome LastOutcome() const { return outcome_; }
    // Kept by the build.
    void SetLastOutcome(GdpduOutcome outcome) { outcome_ = outcome; }
    // The module state the profile works on.
    ModuleState& Module() const { return state_; }
    // The host's services the profile calls.
    HostServices& Host() const { return services_; }

    std::shared_ptr<TQGxpFiles> GxpFiles = std::make_shared<TQGxpFiles>();  // the tables
    std::string Schnittstelle;  // interface name; key of the remembered folder and selections
    std::string Pfad;           // output folder of the medium
    DateTime DatumVon;          // first day of the period
    DateTime DatumBis;          // last day of the period
    bool HandoverZip = false;   // also pack a medium that succeeded into FOLDER.zip beside Pfad

  private:
    void Reset();
    ModuleState& state_;
    HostServices& services_;
    GdpduOutcome outcome_ = GdpduOutcome::NotRun;
    GdpduBuildEvents* listener_ = nullptr;
};

}  // namespace norvik
