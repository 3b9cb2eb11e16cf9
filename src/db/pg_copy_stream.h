#pragma once
// The rows of one statement as COPY sends them, read on a second session that shares the read
// transaction's snapshot: the server streams without waiting for the next request, and the first
// session stays free for the caller's other statements.

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/value.h"
#include "db/pg_binary.h"
#include "db/pg_database.h"
#include "db/text_values.h"

namespace norvik::db {

class PgCopyStream {
  public:
    // Describes the statement on a reader of db and starts its COPY; null when it cannot be read
    // so (no reader, no rows described, a COPY the server refuses), which leaves db as it was.
    static std::unique_ptr<PgCopyStream> Open(PgDatabase& db, PgSharedSnapshot snapshot,
                                              const std::string& body);
    // Gives the reader back to its session, dropping it when the COPY did not end.
    ~PgCopyStream();
    PgCopyStream(const PgCopyStream&) = delete;
    PgCopyStream& operator=(const PgCopyStream&) = delete;

    // The columns' names as the server describes them.
    const std::vector<std::string>& Names() const { return names_; }
    // How each column's values read.
    const std::vector<TextKind>& Kinds() const { return kinds_; }
    // Reads rows ahead, within a bounded memory, until db has the result of the statement it sent
    // last.
    void ReadAheadUntilResult(PgDatabase& db);
    // Reads the next row into the slots; false at the end. Raises the statement's failure when
    // the rows before it are read.
    bool Next(std::vector<Value>& slots);
    // Starts the COPY over.
    void Restart();

  private:
    PgCopyStream(PgDatabase& db, PgSharedSnapshot snapshot, const std::string& body)
        : db_(&db), snapshot_(std::move(snapshot)), body_(body) {}
    // Joins the snapshot on a reader, describes the statement and starts the COPY.
    bool Start(bool describe);
    // The describing and the COPY's start on the joined reader.
    bool Started(bool describe);
    // Takes the header off the first message; false (freeing it) for the end of a binary COPY.
    bool Keep(char* line, int& length);
    // Keeps a message in the rows read ahead.
    void Wait(char* line, int length);
    // Takes one row that arrived into the waiting rows without blocking; false when none had.
    bool TakeArrived();
    // Takes the COPY's end: its failure is kept for the row after the last.
    void Finish();
    // Frees the rows read ahead and lets the reader go.
    void Drop() noexcept;
    // Splits a row into the slots.
    void Read(const char* line, size_t length, std::vector<Value>& slots);
    void ReadBinary(const char* line, size_t length, std::vector<Value>& slots);

    PgDatabase* db_;
    PgSharedSnapshot snapshot_;
    std::string body_;
    std::string sql_;
    std::unique_ptr<PgDatabase> reader_;
    std::vector<std::string> names_;
    std::vector<TextKind> kinds_;
    std::vector<PgBinary> forms_;  // each column's binary form; empty for the text COPY
    bool header_ = false;          // the binary header is still to come
    std::deque<std::pair<char*, int>> waiting_;  // rows read ahead, as libpq allocated them
    size_t waitingBytes_ = 0;
    bool ended_ = false;
    std::string error_;  // the COPY's failure, raised once the rows before it are taken
    std::string unescaped_;
    std::string scratch_;
};

}  // namespace norvik::db
