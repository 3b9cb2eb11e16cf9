#include "engine/tq_export.h"

#include "common/vb_error.h"
#include "definition/exp_reader.h"
#include "definition/exp_writer.h"
#include "host/host_messages.h"

namespace norvik {
namespace {

void Report(const char* operation, const std::exception& e) {
    ReportFailure("TQExport", operation, e);
}

std::string WithTrailingSeparator(const std::string& folder) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder;
    return folder + (folder.find('\\') != std::string::npos ? "\\" : "/");
}

}  // namespace

TQExport::TQExport() {
    if (gHostSettings) return;
    try {
        ConnectHostSettings();
    } catch (const std::exception& e) {
        Report("Class_Initialize", e);
    }
}

TQExportEvents& TQExport::Events() {
    static TQExportEvents silent;
    return listener_ ? *listener_ : silent;
}

bool TQExport::LoadFile(const std::string& FileName) {
    ExpDef = std::make_shared<TQExportDef>();
    Pfad = WithTrailingSeparator(gExportPath);
    try {
        ReadExportDefinition(FileName, *ExpDef);
        return true;
    } catch (const std::exception& e) {
        Report("LoadFile", e);
        return false;
    }
}

void TQExport::CreateNew() {
    try {
        ExpDef = std::make_shared<TQExportDef>();
    } catch (const std::exception& e) {
        Report("CreateNew", e);
    }
}

bool TQExport::SaveFile(const std::string& FileName, const std::optional<std::string>& Autor) {
    bool written = true;
    try {
        if (!ExpDef) throw VbError(kErrObjectNotSet);
        WriteExportDefinition(*ExpDef, FileName, Autor.value_or(""), [&](const VbError& e) {
            written = false;
            Report("SaveFile", e);
        });
    } catch (const std::exception& e) {
        written = false;
        Report("SaveFile", e);
    }
    return written;
}

}  // namespace norvik
