#include "host/host_settings.h"

#include <fmt/format.h>

#include <optional>

#include "common/text_codec.h"
#include "common/utf8.h"
#include "common/vb_error.h"
#include "db/ensure_tables.h"

namespace norvik {
namespace {

// Characters of the lookup column: a MariaDB key holds at most 3072 bytes, four a character in
// utf8mb4. Tables of earlier versions have TEXT there, which holds the same keys.
constexpr size_t kLookupChars = 512;

std::string CreateTable() {
    return fmt::format(
        "CREATE TABLE IF NOT EXISTS norvik_host_settings (lookup VARCHAR({}) PRIMARY KEY,"
        " section TEXT NOT NULL, setting_key TEXT NOT NULL, owner TEXT NOT NULL,"
        " value TEXT NOT NULL)",
        kLookupChars);
}

// One key for section, key and owner without regard to case. One the column cannot hold is
// refused on every back end alike, before a database refuses or (MariaDB without strict mode) cuts
// it.
std::string LookupKey(const std::string& section, const std::string& key,
                      const std::string& owner) {
    std::string lookup = LowerCase(section) + '\x1f' + LowerCase(key) + '\x1f' + LowerCase(owner);
    if (const size_t chars = CharCount(lookup); chars > kLookupChars)
        throw VbError(kErrInvalidArgument,
                      fmt::format("Abschnitt, Schlüssel und Besitzer einer Einstellung dürfen "
                                  "zusammen höchstens {} Zeichen lang sein, nicht {}.",
                                  kLookupChars - 2, chars - 2));
    return lookup;
}

// The row the database finds for a lookup, with the lookup it holds: a collation that is not the
// component's (trailing blanks on MariaDB) may find a row of another key.
struct StoredSetting {
    std::string lookup;
    std::optional<std::string> value;  // none when the row holds no text
};

std::optional<StoredSetting> FindSetting(db::Connection& connection, const std::string& lookup) {
    auto rs =
        connection.OpenRecordSet("SELECT lookup, value FROM norvik_host_settings WHERE lookup = ?",
                                 {lookup}, db::RowCount::Uncounted);
    std::optional<StoredSetting> found;
    if (!rs->Eof()) {
        const auto* stored = std::get_if<std::string>(&rs->Item(0));
        const auto* value = std::get_if<std::string>(&rs->Item(1));
        found = StoredSetting{stored ? *stored : "",
                              value ? std::optional<std::string>(*value) : std::nullopt};
    }
    rs->Close();
    return found;
}

}  // namespace

void HostSettings::Connect(int32_t /*kind*/, const std::shared_ptr<db::Connection>& connection,
                           int32_t /*flags*/) {
    if (!connection) throw VbError(kErrInvalidArgument);
    connection_ = db::Connection::OwnOrShared(connection);
    tableReady_ = false;
}

void HostSettings::EnsureTable() {
    if (!connection_)
        throw VbError(kErrInvalidArgument,
                      "Die Einstellungen sind nicht mit der Datenbank verbunden.");
    if (tableReady_) return;
    db::EnsureTables(*connection_, "norvik_host_settings", {CreateTable()});
    tableReady_ = true;
}

bool HostSettings::Readable() {
    if (tableReady_) return true;
    try {
        EnsureTable();
        return true;
    } catch (const VbError&) {
        if (!connection_) throw;
        // A role that may only read, on a database where no setting was ever stored.
        return false;
    }
}

std::string HostSettings::ReadValue(const std::string& section, const std::string& key,
                                    const std::string& owner, const std::string& def) {
    const std::string lookup = LookupKey(section, key, owner);
    if (const auto kept = unsaved_.find(lookup); kept != unsaved_.end()) return kept->second;
    if (!Readable()) return def;
    const auto found = FindSetting(*connection_, lookup);
    return found && found->lookup == lookup ? found->value.value_or(def) : def;
}

std::unordered_map<std::string, std::string> HostSettings::ReadSection(const std::string& section,
                                                                       const std::string& owner) {
    std::unordered_map<std::string, std::string> values;
    const std::string prefix = LowerCase(section) + '\x1f';
    const std::string suffix = '\x1f' + LowerCase(owner);
    for (const auto& [lookup, value] : unsaved_)
        if (lookup.starts_with(prefix) && lookup.ends_with(suffix))
            values.emplace(
                lookup.substr(prefix.size(), lookup.size() - prefix.size() - suffix.size()), value);
    if (!Readable()) return values;
    // The lookup column is the only one whose letter case matches LowerCase; LIKE may take more
    // rows than the prefix (it ignores ASCII case in SQLite), so each row is checked here again.
    std::string pattern;
    for (const char c : prefix) {
        if (c == '%' || c == '_' || c == '!') pattern += '!';
        pattern += c;
    }
    pattern += '%';
    auto rs = connection_->OpenRecordSet(
        "SELECT lookup, value FROM norvik_host_settings WHERE lookup LIKE ? ESCAPE '!'", {pattern},
        db::RowCount::Uncounted);
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
    const std::string lookup = LookupKey(section, key, owner);
    try {
        Store(section, key, value, owner, lookup);
        unsaved_.erase(lookup);
    } catch (const VbError& e) {
        if (e.Number() == kErrDuplicateKey || !connection_) throw;
        unsaved_[lookup] = value;
        throw;
    }
}

void HostSettings::Store(const std::string& section, const std::string& key,
                         const std::string& value, const std::string& owner,
                         const std::string& lookup) {
    EnsureTable();
    // Without an upsert every back end knows: whether the row exists decides, not the rows an
    // UPDATE reports (MariaDB counts only changed ones). A writer that inserted the key meanwhile
    // makes the insert fail; then its row is updated.
    for (int attempt = 0;; ++attempt) {
        if (const auto found = FindSetting(*connection_, lookup)) {
            if (found->lookup != lookup)
                throw VbError(kErrDuplicateKey,
                              "Die Datenbank unterscheidet die Einstellung \"" + key + "\" (" +
                                  section + ", " + owner +
                                  ") nicht von einer gespeicherten anderen; sie wird nicht "
                                  "überschrieben.");
            connection_->Execute("UPDATE norvik_host_settings SET value = ? WHERE lookup = ?",
                                 {value, lookup});
            return;
        }
        try {
            connection_->Execute(
                "INSERT INTO norvik_host_settings (lookup, section, setting_key, owner, value) "
                "VALUES (?, ?, ?, ?, ?)",
                {lookup, section, key, owner, value});
            return;
        } catch (const VbError&) {
            if (attempt > 0) throw;
        }
    }
}

}  // namespace norvik
