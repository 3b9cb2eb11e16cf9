#pragma once
// The host's protocol (log): the log object created by name and the three module operations.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "db/connection.h"

namespace norvik {

// The host's log component as the component calls it.
class ProtocolObject {
  public:
    virtual ~ProtocolObject() = default;
    // Starts a protocol entry; returns its identifier.
    virtual std::string CreateProtokoll(const std::shared_ptr<db::Connection>& connection,
                                        std::string& title, std::string& user,
                                        std::string& listName, std::string& dateText,
                                        std::string& interfaceName, std::string& fileOrFolder,
                                        std::string& info) = 0;
    // Starts a new line.
    virtual void AddNewRecord() = 0;
    // Sets a field of the new line (the component passes 10, 0 and the text).
    virtual void SetField(int16_t field, int16_t part, std::string& text) = 0;
    // Stores the new line.
    virtual void UpdateRecord() = 0;
};

// The identifier under which the host's log component is created.
inline const char* const kProtocolProgId = "KelmoProto.Protokoll";

// Creates an object by its identifier; raises 429 for an unknown one.
std::shared_ptr<ProtocolObject> CreateProtocolObject(const std::string& progId);
// Replaces the maker of the log component (null restores ours, which keeps entries in the
// database).
void SetProtocolFactory(std::function<std::shared_ptr<ProtocolObject>()> factory);

inline std::shared_ptr<ProtocolObject> gProtokoll;  // the open protocol, empty when none
inline std::string gProtokollID;                    // identifier of the open protocol

// Opens a protocol; failures are shown ("Protokoll konnte nicht erzeugt werden. …"), not raised.
void OpenProtocol(std::string title, std::string user, std::string listName, std::string dateText,
                  std::string interfaceName, std::string fileOrFolder, std::string info);
// Writes a line; failures are shown ("Fehler beim Erzeugen der Protokollzeile. …"), not raised.
void WriteProtocolLine(std::string text);
// Closes the protocol.
void CloseProtocol();

}  // namespace norvik
