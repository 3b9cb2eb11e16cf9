#include "host/protocol.h"

#include "common/vb_error.h"
#include "host/db_protocol.h"
#include "host/host_messages.h"
#include "host/module_state.h"

namespace norvik {
namespace {

std::function<std::shared_ptr<ProtocolObject>()>& Factory() {
    static std::function<std::shared_ptr<ProtocolObject>()> factory;
    return factory;
}

}  // namespace

std::shared_ptr<ProtocolObject> CreateProtocolObject(const std::string& progId) {
    if (progId != kProtocolProgId) throw VbError(kErrCannotCreateObject);
    if (Factory()) return Factory()();
    return std::make_shared<DbProtocol>();
}

void SetProtocolFactory(std::function<std::shared_ptr<ProtocolObject>()> factory) {
    Factory() = std::move(factory);
}

void OpenProtocol(std::string title, std::string user, std::string listName, std::string dateText,
                  std::string interfaceName, std::string fileOrFolder, std::string info) {
    try {
        gProtokoll = CreateProtocolObject(kProtocolProgId);
        if (!gSession) throw VbError(kErrObjectNotSet);
        gProtokollID = gProtokoll->CreateProtokoll(gSession->Connection(), title, user, listName,
                                                   dateText, interfaceName, fileOrFolder, info);
    } catch (const std::exception& e) {
        Messages().ShowMessage(
            "Protokoll konnte nicht erzeugt werden. " + ToVbError(e).Description(), 0, kButtonsOk,
            false);
    }
}

void WriteProtocolLine(std::string text) {
    try {
        if (!gProtokoll) throw VbError(kErrObjectNotSet);
        gProtokoll->AddNewRecord();
        gProtokoll->SetField(10, 0, text);
        gProtokoll->UpdateRecord();
    } catch (const std::exception& e) {
        Messages().ShowMessage(
            "Fehler beim Erzeugen der Protokollzeile. " + ToVbError(e).Description(), 0, kButtonsOk,
            false);
    }
}

void CloseProtocol() {
    gProtokoll.reset();
}

}  // namespace norvik
