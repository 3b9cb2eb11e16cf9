#include "db/postgresql/pg_connection.h"

#include <charconv>
#include <cstring>

#include "db/db_error.h"
#include "db/postgresql/pg_record_set.h"
#include "db/statement_rewrite.h"

namespace norvik::db {

PgConnection::PgConnection(const std::string& url)
    : url_(url), db_(std::make_shared<PgDatabase>(url)) {}

int64_t PgConnection::Execute(const std::string& sql, const std::vector<Value>& params) {
    const NumberedSql numbered = PlaceholdersFor(sql, params.size());
    CheckParameterCount(numbered.markers, params.size());
    if (db_->Copying())
        ThrowDatabaseError(
            "Die Verbindung liest gerade die Zeilen einer Abfrage; eine Änderung kann erst danach "
            "ausgeführt werden.");
    const PgParams values(params);
    const PgResult result = db_->Run(numbered.text, &values);
    const char* changed = PQcmdTuples(result.get());
    int64_t count = 0;
    std::from_chars(changed, changed + std::strlen(changed), count);
    return count;
}

std::unique_ptr<RecordSet> PgConnection::OpenRecordSet(const std::string& sql,
                                                       const std::vector<Value>& params,
                                                       RowCount count) {
    // The session is busy sending a COPY's rows: another record set reads their snapshot beside.
    if (db_->Copying()) return PgRecordSet::Open(db_->SnapshotReader(), sql, params, count);
    return PgRecordSet::Open(db_, sql, params, count);
}

}  // namespace norvik::db
