#include "host/protocol.h"

#include "common/vb_error.h"

namespace norvik {

void OpenProtocol(ModuleState& state, HostServices& services, std::string title, std::string user,
                  std::string listName, std::string dateText, std::string interfaceName,
                  std::string fileOrFolder, std::string info) {
    state.protocolSkipped = false;
    try {
        state.protocol = services.CreateProtocolObject(kProtocolProgId);
        state.protocolId =
            state.protocol->CreateProtokoll(state.Session().Connection(), title, user, listName,
                                            dateText, interfaceName, fileOrFolder, info);
    } catch (const std::exception& e) {
        // Its lines would only repeat the failure.
        state.protocol.reset();
        state.protocolSkipped = true;
        services.Messages().ShowMessage(
            "Protokoll konnte nicht erzeugt werden. " + ToVbError(e).Description(), 0, kButtonsOk,
            false);
    }
}

void WriteProtocolLine(ModuleState& state, HostServices& services, std::string text) {
    if (!state.protocol && state.protocolSkipped) return;
    try {
        if (!state.protocol) throw VbError(kErrObjectNotSet);
        state.protocol->AddNewRecord();
        state.protocol->SetField(10, 0, text);
        state.protocol->UpdateRecord();
    } catch (const std::exception& e) {
        services.Messages().ShowMessage(
            "Fehler beim Erzeugen der Protokollzeile. " + ToVbError(e).Description(), 0, kButtonsOk,
            false);
    }
}

void CloseProtocol(ModuleState& state) {
    state.protocol.reset();
    state.protocolSkipped = false;
}

}  // namespace norvik
