#include "db/postgresql/pg_record_set.h"

#include <fmt/format.h>

#include <charconv>

#include "db/db_error.h"
#include "db/statement_rewrite.h"

namespace norvik::db {
namespace {

// Rows per FETCH: few round trips, yet memory stays bounded however many rows there are.
constexpr int kBatchRows = 1000;
// Times a statement is begun again when the tables it reads were rewritten as it began.
constexpr int kMaxRewrites = 3;
// Rows between two looks at the side session's count.
constexpr int kRowsBetweenLooks = 4096;

int64_t RowsCounted(const PgResult& count) {
    int64_t rows = 0;
    if (PQntuples(count.get()) == 1) {
        const char* text = PQgetvalue(count.get(), 0, 0);
        std::from_chars(text, text + PQgetlength(count.get(), 0, 0), rows);
    }
    return rows;
}

}  // namespace

std::unique_ptr<RecordSet> PgRecordSet::Open(std::shared_ptr<PgDatabase> db, const std::string& sql,
                                             const std::vector<Value>& params, RowCount count) {
    // Owned before anything is acquired, so that a failure on the way releases what was.
    std::unique_ptr<PgRecordSet> set(new PgRecordSet(std::move(db)));
    set->Run(sql, params, count);
    return set;
}

PgRecordSet::~PgRecordSet() {
    Close();
}

void PgRecordSet::Run(const std::string& sql, const std::vector<Value>& params, RowCount count) {
    const NumberedSql body = PlaceholdersFor(TrimStatementEnd(sql), params.size());
    CheckParameterCount(body.markers, params.size());
    params_.emplace(params);
    const bool began = db_->BeginRead();
    reading_ = true;

    // Newlines keep a trailing line comment from swallowing the closing parenthesis.
    const std::string countPrefix = "SELECT COUNT(*) FROM (\n";
    countSql_ = countPrefix + body.text + "\n) AS t";
    countUser_ = UserStatement{countPrefix.size(), body.text.size()};

    cursor_ = db_->NextCursorName();
    const std::string declarePrefix = fmt::format("DECLARE {} NO SCROLL CURSOR FOR\n", cursor_);
    declareSql_ = declarePrefix + body.text;
    declareUser_ = UserStatement{declarePrefix.size(), body.text.size()};
    fetchSql_ = fmt::format("FETCH FORWARD {} FROM {}", kBatchRows, cursor_);
    Declare();
    for (int attempt = 1;; ++attempt) {
        const std::string rewritten = db_->RewrittenSinceSnapshot();
        if (rewritten.empty()) break;
        if (!began || attempt == kMaxRewrites)
            ThrowDatabaseError("Die Tabelle " + rewritten +
                               " wurde umgeschrieben (ALTER TABLE, TRUNCATE, VACUUM FULL oder "
                               "CLUSTER), während die Abfrage begann; ihre Zeilen wären nicht zu "
                               "sehen. Bitte den Export erneut starten.");
        // Begun again after the rewrite, the snapshot sees its rows; the locks hold off the next.
        CloseCursor();
        db_->RestartRead();
        Declare();
    }
    // A first batch that is not full holds all the rows. A longer result is counted beside the
    // rows, and streams by COPY where nothing else shares the transaction, the statement takes no
    // parameters (COPY takes none) and the server does not bound a statement's time (the COPY is
    // one statement; the cursor's FETCHes each stay short). The session already holds the
    // statement's locks, so neither way can wait for a lock that waits for us.
    if (PQntuples(batch_.get()) < kBatchRows) return StartCursor(PQntuples(batch_.get()));
    std::optional<PgSharedSnapshot> snapshot;
    if (began && !db_->InRecovery()) {
        bool restarted = false;
        snapshot = db_->ShareSnapshot(restarted);
        if (restarted) {
            // The transaction began anew without the cursor.
            declared_ = asked_ = false;
            collected_.reset();
            Declare();
        }
    }
    const bool counting = CountBeside(snapshot);
    // Other record sets opened while the COPY streams read its snapshot on a side session, so one
    // must have been at hand.
    if (counting && params.empty() && !db_->BoundsStatements() && RunCopy(body.text)) {
        copySnapshot_ = std::move(snapshot);
        db_->SetCopying(copySnapshot_);
        return;
    }
    // Without a side session the count is taken here before the rows, where no bound can end it.
    int64_t rows = -1;
    if (!counting && !db_->BoundsStatements() && count == RowCount::Counted)
        rows = RowsCounted(db_->Run(countSql_, &*params_, countUser_));
    StartCursor(rows);
}

void PgRecordSet::StartCursor(int64_t count) {
    const int columns = PQnfields(batch_.get());
    std::vector<std::string> names;
    for (int i = 0; i < columns; ++i) {
        names.emplace_back(PQfname(batch_.get(), i));
        kinds_.push_back(PgKindOf(PQftype(batch_.get(), i)));
    }
    Start(std::move(names), count);
}

bool PgRecordSet::CountBeside(const std::optional<PgSharedSnapshot>& snapshot) {
    if (snapshot) sideCount_ = PgSideCount::Start(*db_, *snapshot, countSql_, &*params_);
    return sideCount_ != nullptr;
}

void PgRecordSet::TakeSideCount() {
    sinceLook_ = 0;
    if (const std::optional<int64_t> count = sideCount_->Poll()) {
        SetCount(*count);
        sideCount_.reset();
    } else if (sideCount_->Failed()) {
        sideCount_.reset();
    }
}

bool PgRecordSet::RunCopy(const std::string& body) {
    std::vector<std::string> names;
    for (int i = 0; i < PQnfields(batch_.get()); ++i) names.emplace_back(PQfname(batch_.get(), i));
    // The COPY reads the statement from its first row; the cursor's batches describe its columns.
    PgResult described = std::move(batch_);
    CloseCursor();
    copy_ = PgCopyStream::Open(*db_, described.get(), body);
    if (!copy_) {
        Declare();
        return false;
    }
    kinds_ = copy_->Kinds();
    Start(std::move(names), -1);
    return true;
}

void PgRecordSet::Declare() {
    db_->Run(declareSql_, &*params_, declareUser_);
    declared_ = true;
    batch_ = db_->Run(fetchSql_);
    batchRow_ = 0;
    Prefetch();
}

void PgRecordSet::Prefetch() {
    if (PQntuples(batch_.get()) < kBatchRows) return;
    db_->Send(fetchSql_, this);
    asked_ = true;
}

void PgRecordSet::Collect() noexcept {
    collected_ = db_->TakeResult();
}

PgResult PgRecordSet::NextBatch() {
    asked_ = false;
    PgResult next = collected_ ? std::move(collected_) : db_->TakeResult();
    db_->Check(next);
    return next;
}

bool PgRecordSet::NextRow() {
    if (batchRow_ >= PQntuples(batch_.get())) {
        if (!asked_) return false;
        // The old batch goes only after the next has arrived: freeing it first would hand its
        // memory back to the system each time, only to take it again.
        PgResult next = NextBatch();
        batch_ = std::move(next);
        batchRow_ = 0;
        if (PQntuples(batch_.get()) == 0) return false;
        Prefetch();
    }
    return true;
}

bool PgRecordSet::FetchRow(std::vector<Value>& slots) {
    // Looking costs a system call: once in a while is enough for a progress display.
    if (sideCount_ && ++sinceLook_ == kRowsBetweenLooks) TakeSideCount();
    if (copy_) {
        if (copy_->Next(slots)) return true;
        // The session serves other statements again.
        db_->SetCopying(std::nullopt);
        return false;
    }
    if (!NextRow()) return false;
    PGresult* batch = batch_.get();
    for (size_t i = 0; i < slots.size(); ++i) {
        const int col = static_cast<int>(i);
        const int length = PQgetlength(batch, batchRow_, col);
        // Only an empty value can be a null.
        if (length == 0 && PQgetisnull(batch, batchRow_, col))
            slots[i] = Null{};
        else
            ReadTextCell({PQgetvalue(batch, batchRow_, col), static_cast<size_t>(length)},
                         kinds_[i], slots[i]);
    }
    ++batchRow_;
    return true;
}

void PgRecordSet::Restart() {
    if (copy_) {
        copy_->Restart();
        db_->SetCopying(copySnapshot_);
        return;
    }
    if (asked_) NextBatch();
    batch_.reset();
    declared_ = false;
    db_->Run("CLOSE " + cursor_);
    Declare();
}

void PgRecordSet::CloseCursor() noexcept {
    if (asked_ && !collected_) collected_ = db_->TakeResult();
    asked_ = false;
    collected_.reset();
    batch_.reset();
    if (declared_) db_->RunQuietly(("CLOSE " + cursor_).c_str());
    declared_ = false;
}

void PgRecordSet::Release() noexcept {
    sideCount_.reset();
    CloseCursor();
    copy_.reset();
    if (db_->Copying()) db_->SetCopying(std::nullopt);
    if (reading_) db_->EndRead();
    reading_ = false;
}

}  // namespace norvik::db
