#pragma once
// The rows of one statement as COPY sends them, on the session that holds the read transaction
// (and so its locks): the server streams without waiting for the next request.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/value.h"
#include "db/postgresql/pg_binary.h"
#include "db/postgresql/pg_database.h"
#include "db/statement_cancel.h"
#include "db/text_values.h"

namespace norvik::db {

class PgCopyStream {
  public:
    // Starts the COPY of the statement whose columns `described` gives on db, which holds the
    // read transaction; null when the server refuses it, which leaves the transaction as it was.
    static std::unique_ptr<PgCopyStream> Open(PgDatabase& db, const PGresult* described,
                                              const std::string& body);
    // Ends a COPY still running, so that the session serves the next statement.
    ~PgCopyStream();
    PgCopyStream(const PgCopyStream&) = delete;
    PgCopyStream& operator=(const PgCopyStream&) = delete;

    // How each column's values read.
    const std::vector<TextKind>& Kinds() const { return kinds_; }
    // Reads the next row into the slots; false at the end. Raises the statement's failure when
    // the rows before it are read.
    bool Next(std::vector<Value>& slots);
    // Starts the COPY over.
    void Restart();

  private:
    PgCopyStream(PgDatabase& db, const std::string& body) : db_(&db), body_(body) {}
    // Sets a savepoint and starts the COPY; false (back at the savepoint) when it does not start.
    bool Start();
    // Takes the header off the first message; false (freeing it) for the end of a binary COPY.
    bool Keep(char* line, int& length);
    // Takes the COPY's end: its failure is kept for the row after the last.
    void Finish();
    // Ends a COPY still running: cancelled, its rest read and dropped, the transaction back at
    // the savepoint.
    void Stop() noexcept;
    // Splits a row into the slots.
    void Read(const char* line, size_t length, std::vector<Value>& slots);
    void ReadBinary(const char* line, size_t length, std::vector<Value>& slots);

    PgDatabase* db_;
    std::string body_;
    std::string sql_;
    std::vector<TextKind> kinds_;
    std::vector<PgBinary> forms_;  // each column's binary form; empty for the text COPY
    bool header_ = false;          // the binary header is still to come
    bool ended_ = true;
    std::optional<WaitingStatement> streaming_;  // a stop cancels the COPY on the server
    std::string error_;  // the COPY's failure, raised once the rows before it are taken
    std::string unescaped_;
    std::string scratch_;
};

}  // namespace norvik::db
