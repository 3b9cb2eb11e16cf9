#include "engine/tq_export.h"

#include <string>
#include <unordered_map>

#include "common/file_io.h"
#include "common/vb_error.h"
#include "definition/exp_reader.h"
#include "definition/exp_writer.h"
#include "host/host_messages.h"

namespace norvik {
namespace {

// The reader's view of the host: the engine's module state and services.
class EngineDefinitionHost : public DefinitionHost {
  public:
    EngineDefinitionHost(ModuleState& state, HostServices& services)
        : state_(state), services_(services) {}
    std::string DataPath() const override { return state_.commonUserDataFolder; }
    std::string RememberedOutputFile(const std::string& name) override {
        return services_.UserSettings().Get("TQBExport", "Schnittstelle", name, "");
    }
    std::unordered_map<std::string, std::string> StoredParameters(
        const std::string& section) override {
        return state_.Settings().ReadSection(section, "Standard");
    }
    void ShowRefusal(const std::string& text) override {
        services_.Messages().ShowMessage(text, 0, kButtonsOk, false);
    }

  private:
    ModuleState& state_;
    HostServices& services_;
};

}  // namespace

TQExportEvents& TQExport::Events() {
    static TQExportEvents silent;
    return listener_ ? *listener_ : silent;
}

bool TQExport::LoadFile(const std::string& FileName) {
    ExpDef = std::make_shared<TQExportDef>();
    Pfad = WithTrailingSeparator(state_.exportPath);
    try {
        EngineDefinitionHost host(state_, services_);
        ReadExportDefinition(FileName, *ExpDef, host);
        return true;
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), "TQExport", "LoadFile", e);
        return false;
    }
}

void TQExport::CreateNew() {
    try {
        ExpDef = std::make_shared<TQExportDef>();
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), "TQExport", "CreateNew", e);
    }
}

bool TQExport::SaveFile(const std::string& FileName, const std::optional<std::string>& Autor) {
    bool written = true;
    try {
        if (!ExpDef) throw VbError(kErrObjectNotSet);
        WriteExportDefinition(*ExpDef, FileName, Autor.value_or(""), [&](const VbError& e) {
            written = false;
            ReportFailure(services_.Messages(), "TQExport", "SaveFile", e);
        });
    } catch (const std::exception& e) {
        written = false;
        ReportFailure(services_.Messages(), "TQExport", "SaveFile", e);
    }
    return written;
}

}  // namespace norvik
