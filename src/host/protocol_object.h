#pragma once
// The host's log component as the component calls it, and the name it is created by.

#include <cstdint>
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

}  // namespace norvik
