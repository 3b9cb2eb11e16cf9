#include "host/host_settings.h"

#include "common/text_codec.h"
#include "common/vb_error.h"
#include "db/ensure_tables.h"

namespace norvik {
namespace {

const char* const kCreateTable =
    "CREATE TABLE IF NOT EXISTS norvik_host_settings ("
    " lookup TEXT PRIMARY KEY,"
    " section TEXT NOT NULL, setting_key TEXT NOT NULL, owner TEXT NOT NULL, value TEXT NOT NULL)";

// One key for section, key and owner without regard to case.
std::string LookupKey(const std::string& section, const std::string& key,
                      const std::string& owner) {
    return LowerCase(section) + '\x1f' + LowerCase(key) + '\x1f' + LowerCase(owner);
}

}  // namespace

void HostSettings::Connect(int32_t /*kind*/, const std::shared_ptr<db::Connection>& connection,
                           int32_t /*flags*/) {
    if (!connection) throw VbError(kErrInvalidArgument);
    connection_ = connection->Reopen();
    tableReady_ = false;
}

void HostSettings::EnsureTable() {
    if (!connection_)
        throw VbError(kErrInvalidArgument,
                      "Die Einstellungen sind nicht mit der Datenbank verbunden.");
    if (tableReady_) return;
    db::EnsureTables(*connection_, "norvik_host_settings", kCreateTable);
    tableReady_ = true;
}

std::string HostSettings::ReadValue(const std::string& section, const std::string& key,
                                    const std::string& owner, const std::string& def) {
    EnsureTable();
    auto rs = connection_->OpenRecordSet("SELECT value FROM norvik_host_settings WHERE lookup = ?",
                                         {LookupKey(section, key, owner)});
    std::string value = def;
    if (!rs->Eof()) {
        const Value& v = rs->Item(0);
        if (const auto* text = std::get_if<std::string>(&v)) value = *text;
    }
    rs->Close();
    return value;
}

std::unordered_map<std::string, std::string> HostSettings::ReadSection(const std::string& section,
                                                                       const std::string& owner) {
    EnsureTable();
    // The lookup column is the only one whose letter case matches LowerCase; LIKE may take more
    // rows than the prefix (it ignores ASCII case in SQLite), so each row is checked here again.
    const std::string prefix = LowerCase(section) + '\x1f';
    const std::string suffix = '\x1f' + LowerCase(owner);
    std::string pattern;
    for (const char c : prefix) {
        if (c == '%' || c == '_' || c == '!') pattern += '!';
        pattern += c;
    }
    pattern += '%';
    auto rs = connection_->OpenRecordSet(
        "SELECT lookup, value FROM norvik_host_settings WHERE lookup LIKE ? ESCAPE '!'", {pattern});
    std::unordered_map<std::string, std::string> values;
    while (!rs->Eof()) {
        const auto* lookup = std::get_if<std::string>(&rs->Item(0));
        const auto* value = std::get_if<std::string>(&rs->Item(1));
        if (lookup && value && lookup->size() >= prefix.size() + suffix.size() &&
            lookup->starts_with(prefix) && lookup->ends_with(suffix))
            values.emplace(
                lookup->substr(prefix.size(), lookup->size() - prefix.size() - suffix.size()),
                *value);
        rs->MoveNext();
    }
    rs->Close();
    return values;
}

void HostSettings::WriteValue(const std::string& section, const std::string& key,
                              const std::string& value, const std::string& owner) {
    EnsureTable();
    connection_->Execute(
        "INSERT INTO norvik_host_settings (lookup, section, setting_key, owner, value) VALUES (?, "
        "?, ?, ?, ?) "
        "ON CONFLICT (lookup) DO UPDATE SET value = excluded.value",
        {LookupKey(section, key, owner), section, key, owner, value});
}

}  // namespace norvik
