#include "engine/tq_export.h"

#include "common/file_io.h"
#include "common/vb_error.h"
#include "definition/exp_reader.h"
#include "definition/exp_writer.h"
#include "host/host_messages.h"

namespace norvik {

TQExportEvents& TQExport::Events() {
    static TQExportEvents silent;
    return listener_ ? *listener_ : silent;
}

bool TQExport::LoadFile(const std::string& FileName) {
    ExpDef = std::make_shared<TQExportDef>();
    Pfad = WithTrailingSeparator(state_.exportPath);
    try {
        ReadExportDefinition(FileName, *ExpDef, state_, services_);
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
