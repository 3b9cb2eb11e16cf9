#pragma once
// Our log component: protocol entries and their lines in two tables of the host database.

#include <memory>
#include <string>
#include <vector>

#include "host/protocol_object.h"

namespace norvik {

class DbProtocol : public ProtocolObject {
  public:
    std::string CreateProtokoll(const std::shared_ptr<db::Connection>& connection,
                                std::string& title, std::string& user, std::string& listName,
                                std::string& dateText, std::string& interfaceName,
                                std::string& fileOrFolder, std::string& info) override;
    void AddNewRecord() override;
    void SetField(int16_t field, int16_t part, std::string& text) override;
    void UpdateRecord() override;

  private:
    std::shared_ptr<db::Connection> connection_;
    std::string id_;
    int64_t lineNumber_ = 0;
    bool pending_ = false;
    std::string pendingText_;
};

// One stored protocol entry with its lines, newest first when listed.
struct ProtocolEntry {
    std::string id;
    std::string created;  // yyyy-mm-dd hh:mm:ss
    std::string title, user, listName, dateText, interfaceName, fileOrFolder, info;
    std::vector<std::string> lines;
};

// The last entries of the protocol tables (none when the tables do not exist yet).
std::vector<ProtocolEntry> ReadProtocolEntries(db::Connection& connection, int64_t last);

}  // namespace norvik
