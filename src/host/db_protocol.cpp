#include "host/db_protocol.h"

#include <fmt/format.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>

#include "common/vb_error.h"
#include "db/ensure_tables.h"

namespace norvik {
namespace {

// Ids are NewId's ("P", seconds, process and a running number: 34 characters); VARCHAR, as
// MariaDB takes no key of TEXT. Tables of earlier versions have TEXT there, which holds them too.
const std::vector<std::string> kCreateTables = {
    "CREATE TABLE IF NOT EXISTS norvik_protocol (id VARCHAR(64) PRIMARY KEY,"
    " created TEXT NOT NULL, title TEXT, user_name TEXT, list_name TEXT, date_text TEXT,"
    " interface_name TEXT, file_name TEXT, info TEXT)",
    "CREATE TABLE IF NOT EXISTS norvik_protocol_line ("
    " protocol_id VARCHAR(64) NOT NULL, line_no INTEGER NOT NULL, field INTEGER, part INTEGER,"
    " text TEXT, PRIMARY KEY (protocol_id, line_no))"};

std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
    return buf;
}

// Unique without a sequence of the database: time, process and a running number, of fixed width
// so that the entries of one second sort in the order they were made.
std::string NewId() {
    static std::atomic<unsigned> counter{0};
    return fmt::format("P{:011}-{:010}-{:010}", static_cast<long long>(std::time(nullptr)),
                       static_cast<int>(::getpid()), ++counter);
}

std::string Text(const Value& v) {
    const auto* s = std::get_if<std::string>(&v);
    return s ? *s : "";
}

}  // namespace

std::string DbProtocol::CreateProtokoll(const std::shared_ptr<db::Connection>& connection,
                                        std::string& title, std::string& user,
                                        std::string& listName, std::string& dateText,
                                        std::string& interfaceName, std::string& fileOrFolder,
                                        std::string& info) {
    if (!connection) throw VbError(kErrObjectNotSet);
    // Lines are written while the session's connection streams the export's rows.
    connection_ = db::Connection::OwnOrShared(connection);
    db::EnsureTables(*connection_, "norvik_protocol_line", kCreateTables);
    id_ = NewId();
    lineNumber_ = 0;
    connection_->Execute(
        "INSERT INTO norvik_protocol VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {id_, Now(), title, user, listName, dateText, interfaceName, fileOrFolder, info});
    return id_;
}

void DbProtocol::AddNewRecord() {
    if (!connection_) throw VbError(kErrObjectNotSet);
    pending_ = true;
    pendingText_.clear();
}

void DbProtocol::SetField(int16_t /*field*/, int16_t /*part*/, std::string& text) {
    if (!pending_) throw VbError(kErrNoCurrentRow);
    pendingText_ = text;
}

void DbProtocol::UpdateRecord() {
    if (!pending_) throw VbError(kErrNoCurrentRow);
    pending_ = false;
    connection_->Execute("INSERT INTO norvik_protocol_line VALUES (?, ?, 10, 0, ?)",
                         {id_, ++lineNumber_, pendingText_});
}

std::vector<ProtocolEntry> ReadProtocolEntries(db::Connection& connection, int64_t last) {
    db::EnsureTables(connection, "norvik_protocol_line", kCreateTables);
    std::vector<ProtocolEntry> entries;
    auto rs = connection.OpenRecordSet(
        "SELECT id, created, title, user_name, list_name, date_text, interface_name, file_name, "
        "info "
        "FROM norvik_protocol ORDER BY created DESC, id DESC LIMIT ?",
        {last});
    for (; !rs->Eof(); rs->MoveNext()) {
        ProtocolEntry e;
        std::string* fields[] = {&e.id,       &e.created,  &e.title,         &e.user,
                                 &e.listName, &e.dateText, &e.interfaceName, &e.fileOrFolder,
                                 &e.info};
        for (int i = 0; i < 9; ++i) *fields[i] = Text(rs->Item(i));
        entries.push_back(std::move(e));
    }
    rs->Close();
    for (ProtocolEntry& e : entries) {
        auto lines = connection.OpenRecordSet(
            "SELECT text FROM norvik_protocol_line WHERE protocol_id = ? ORDER BY line_no", {e.id});
        for (; !lines->Eof(); lines->MoveNext()) e.lines.push_back(Text(lines->Item(0)));
        lines->Close();
    }
    return entries;
}

}  // namespace norvik
