#pragma once
// The host settings store: values by section, key and owner, kept in a table of the host database.

#include <memory>
#include <string>
#include <unordered_map>

#include "db/connection.h"

namespace norvik {

class HostSettings {
  public:
    // Connects to the database of the given connection through a connection of its own (so that it
    // can write while the session's connection streams a result), else through that one.
    void Connect(int32_t kind, const std::shared_ptr<db::Connection>& connection, int32_t flags);
    // The stored value, or the default when none is stored (or the store has no table and may not
    // make one); section, key and owner ignore case. A value that could not be stored counts.
    std::string ReadValue(const std::string& section, const std::string& key,
                          const std::string& owner, const std::string& def);
    // Every value stored in the section for that owner, by key in lower case; one query instead of
    // one per key when many keys are looked up.
    std::unordered_map<std::string, std::string> ReadSection(const std::string& section,
                                                             const std::string& owner);
    // Stores the value for that owner, replacing an earlier one; when the database refuses it (a
    // standby, a role that may only read) it raises, and the value holds until the program ends.
    void WriteValue(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& owner);
    // True once a value could not be stored.
    bool HasUnsaved() const { return !unsaved_.empty(); }
    // True after a successful Connect.
    bool IsConnected() const { return connection_ != nullptr; }

  private:
    void EnsureTable();
    void Store(const std::string& section, const std::string& key, const std::string& value,
               const std::string& owner, const std::string& lookup);
    // False when there is no table and none may be made: nothing was stored.
    bool Readable();

    std::shared_ptr<db::Connection> connection_;
    bool tableReady_ = false;
    std::unordered_map<std::string, std::string> unsaved_;  // by lookup key
};

}  // namespace norvik
