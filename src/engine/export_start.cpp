#include "engine/export_start.h"

#include <exception>
#include <filesystem>
#include <utility>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"
#include "definition/yes_no_keys.h"
#include "host/host_messages.h"
#include "host/module_state.h"
#include "host/protocol.h"
#include "host/stored_choice.h"

namespace norvik {

std::string GetPath(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return path;
    // On POSIX a file directly below the root lies in "/".
    if (cut == 0 && path[0] == '/') return std::string(1, '/');
    return path.substr(0, cut);
}

void ProtocolFailedStart(TQExport& engine, std::optional<bool> protocol,
                         const std::string& fileName, int32_t number,
                         const std::string& description) {
    ModuleState& state = engine.Module();
    if (!protocol)
        protocol = state.Settings().ReadValue("TQBExport", "ProtokollErzeugen", state.userName,
                                              "1") == "1";
    if (!*protocol || !engine.ExpDef) return;
    OpenProtocol(state, engine.Host(), "Datenexport", state.userName, "LST_GDPdU", TodayText(),
                 engine.ExpDef->Schnittstelle, fileName, "");
    WriteProtocolLine(state, engine.Host(),
                      "Fehler: " + std::to_string(number) + " " + description);
    CloseProtocol(state);
}

namespace {

StatementWaiter& Waiter() {
    static StatementWaiter waiter;
    return waiter;
}

}  // namespace

StatementWaiter SetStatementWaiter(StatementWaiter waiter) {
    return std::exchange(Waiter(), std::move(waiter));
}

void WaitForStatement(const std::function<void()>& work) {
    const StatementWaiter waiter = Waiter();
    if (!waiter) {
        work();
        return;
    }
    std::exception_ptr failure;
    waiter([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure) std::rethrow_exception(failure);
}

bool PrepareExport(TQExport& engine, const ExportChoice& choice) {
    ModuleState& state = engine.Module();
    if (choice.protocol)
        StoreChoice(state, engine.Host(), "TQBExport", "ProtokollErzeugen",
                    *choice.protocol ? "1" : "0", state.userName);
    if (!engine.ExpDef) throw VbError(kErrObjectNotSet);
    TQExportDef& def = *engine.ExpDef;
    def.Anfügen.assign(1, choice.append ? 'J' : 'N');

    if (TrimBlanks(choice.condition).empty() && !FlagsOf(def).emptySelectionAllowed) {
        engine.Host().Messages().ShowMessage(kNeedSelectionMessage, 3, kButtonsOk, true);
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(NativePath(GetPath(choice.fileName)), ec)) {
        ProtocolFailedStart(engine, choice.protocol, choice.fileName, kErrPathNotFound,
                            std::string(kPathMissingMessage) + " " + GetPath(choice.fileName));
        engine.Host().Messages().ShowMessage(kPathMissingMessage, 3, kButtonsOk, true);
        return false;
    }
    def.Dateiname = choice.fileName;
    engine.SQLWhere = choice.condition;
    engine.PeriodFrom = choice.periodFrom;
    engine.PeriodTo = choice.periodTo;
    return true;
}

}  // namespace norvik
