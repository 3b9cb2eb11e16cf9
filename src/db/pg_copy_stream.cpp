#include "db/pg_copy_stream.h"

#include <poll.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "db/db_error.h"
#include "db/pg_binary.h"
#include "db/pg_columns.h"

namespace norvik::db {
namespace {

constexpr size_t kCopyPrefix = sizeof "COPY (\n" - 1;
// The binary COPY's signature, flags and length of its header extension.
constexpr size_t kBinaryHeader = 19;
// Bytes of rows read ahead while the count is taken: the server need not wait for it, yet memory
// stays bounded.
constexpr size_t kMaxWaitingBytes = 8 << 20;

uint32_t BigEndian32(const char* p) {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return __builtin_bswap32(value);
}

uint16_t BigEndian16(const char* p) {
    uint16_t value;
    std::memcpy(&value, p, sizeof value);
    return __builtin_bswap16(value);
}

// A COPY's text form of a value: backslash escapes for the backslash and control characters.
void Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            c = text[++i];
            switch (c) {
                case 'b':
                    c = '\b';
                    break;
                case 'f':
                    c = '\f';
                    break;
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 't':
                    c = '\t';
                    break;
                case 'v':
                    c = '\v';
                    break;
                default:  // the backslash itself
                    break;
            }
        }
        out.push_back(c);
    }
}

}  // namespace

std::unique_ptr<PgCopyStream> PgCopyStream::Open(PgDatabase& db, PgSharedSnapshot snapshot,
                                                 const std::string& body) {
    std::unique_ptr<PgCopyStream> stream(new PgCopyStream(db, std::move(snapshot), body));
    if (!stream->Start(true)) return nullptr;
    return stream;
}

PgCopyStream::~PgCopyStream() {
    Drop();
}

bool PgCopyStream::Start(bool describe) {
    reader_ = db_->BorrowReader();
    if (!reader_ || !reader_->JoinSnapshot(snapshot_)) return false;
    if (Started(describe)) return true;
    // The reader stays for the next record set.
    reader_->RunQuietly("ROLLBACK");
    ended_ = true;
    return false;
}

bool PgCopyStream::Started(bool describe) {
    PGconn* conn = reader_->Handle();
    if (describe) {
        PgResult prepared(PQprepare(conn, "", body_.c_str(), 0, nullptr));
        PgResult described(PQresultStatus(prepared.get()) == PGRES_COMMAND_OK
                               ? PQdescribePrepared(conn, "")
                               : nullptr);
        if (!described || PQresultStatus(described.get()) != PGRES_COMMAND_OK ||
            PQnfields(described.get()) == 0)
            return false;
        bool binary = true;
        for (int i = 0; i < PQnfields(described.get()); ++i) {
            names_.emplace_back(PQfname(described.get(), i));
            kinds_.push_back(PgKindOf(PQftype(described.get(), i)));
            forms_.push_back(PgBinaryOf(PQftype(described.get(), i)));
            binary = binary && forms_.back() != PgBinary::kNone;
        }
        // Binary spares the server writing texts, where every column's type has a binary form
        // read here; the texts otherwise.
        if (!binary) forms_.clear();
        // Newlines keep a trailing line comment from swallowing the closing parenthesis.
        sql_ = "COPY (\n" + body_ + "\n) TO STDOUT" + (binary ? " (FORMAT binary)" : "");
    }
    header_ = !forms_.empty();
    PgResult started(PQexec(conn, sql_.c_str()));
    return PQresultStatus(started.get()) == PGRES_COPY_OUT;
}

bool PgCopyStream::Keep(char* line, int& length) {
    if (header_) {
        // The header comes in front of the first row.
        header_ = false;
        size_t skip = kBinaryHeader;
        if (static_cast<size_t>(length) >= kBinaryHeader)
            skip += static_cast<size_t>(BigEndian32(line + kBinaryHeader - 4));
        skip = std::min(skip, static_cast<size_t>(length));
        std::memmove(line, line + skip, static_cast<size_t>(length) - skip);
        length -= static_cast<int>(skip);
    }
    // The binary COPY's last message is a row of -1 values.
    if (!forms_.empty() && length == 2 && line[0] == '\xFF' && line[1] == '\xFF') {
        PQfreemem(line);
        return false;
    }
    return true;
}

void PgCopyStream::Wait(char* line, int length) {
    if (!Keep(line, length)) return;
    waiting_.emplace_back(line, length);
    waitingBytes_ += static_cast<size_t>(length);
}

bool PgCopyStream::TakeArrived() {
    char* line = nullptr;
    const int length = PQgetCopyData(reader_->Handle(), &line, 1);
    if (length == 0) return false;
    if (length < 0)
        Finish();
    else
        Wait(line, length);
    return true;
}

void PgCopyStream::ReadAheadUntilResult(PgDatabase& db) {
    // The other session is asked only when its socket has news: asking means a system call.
    bool ready = db.ResultReady();
    while (!ready) {
        const bool room = !ended_ && waitingBytes_ < kMaxWaitingBytes;
        if (room && TakeArrived()) continue;
        pollfd both[2] = {{PQsocket(db.Handle()), POLLIN, 0},
                          {PQsocket(reader_->Handle()), POLLIN, 0}};
        poll(both, room ? 2 : 1, -1);
        if (room && both[1].revents != 0 && !PQconsumeInput(reader_->Handle())) Finish();
        if (both[0].revents != 0) ready = db.ResultReady();
    }
}

void PgCopyStream::Finish() {
    ended_ = true;
    PGconn* conn = reader_->Handle();
    PgResult result(PQgetResult(conn));
    while (PGresult* extra = PQgetResult(conn)) PQclear(extra);
    if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        error_ = result ? PgStatementError(result.get(), sql_, {kCopyPrefix, body_.size()})
                        : PQerrorMessage(conn);
    reader_->RunQuietly("COMMIT");
}

bool PgCopyStream::Next(std::vector<Value>& slots) {
    char* line = nullptr;
    int length = 0;
    if (!waiting_.empty()) {
        std::tie(line, length) = waiting_.front();
        waiting_.pop_front();
        waitingBytes_ -= static_cast<size_t>(length);
    } else {
        while (!ended_) {
            length = PQgetCopyData(reader_->Handle(), &line, 0);
            if (length < 0) {
                line = nullptr;
                Finish();
            } else if (Keep(line, length)) {
                break;
            } else {
                line = nullptr;
            }
        }
    }
    if (!line) {
        if (!error_.empty()) ThrowDatabaseError(std::exchange(error_, {}));
        return false;
    }
    struct Freed {
        char* line;
        ~Freed() { PQfreemem(line); }
    } freed{line};
    if (forms_.empty())
        Read(line, static_cast<size_t>(length), slots);
    else
        ReadBinary(line, static_cast<size_t>(length), slots);
    return true;
}

void PgCopyStream::ReadBinary(const char* line, size_t length, std::vector<Value>& slots) {
    // The number of values, then each as its length (-1 for a null) and its bytes.
    const char* p = line + 2;
    const char* end = line + length;
    if (length < 2 || BigEndian16(line) != slots.size())
        ThrowDatabaseError("Der Server sendet eine Zeile, die nicht zur Abfrage passt");
    for (size_t i = 0; i < slots.size(); ++i) {
        if (end - p < 4) ThrowDatabaseError("Der Server sendet eine unvollständige Zeile");
        const auto size = static_cast<int32_t>(BigEndian32(p));
        p += 4;
        if (size < 0) {
            slots[i] = Null{};
            continue;
        }
        if (end - p < size ||
            !ReadPgBinary({p, static_cast<size_t>(size)}, forms_[i], kinds_[i], slots[i], scratch_))
            ThrowDatabaseError("Der Server sendet einen Wert, der nicht zu seinem Typ passt");
        p += size;
    }
}

void PgCopyStream::Read(const char* line, size_t length, std::vector<Value>& slots) {
    // A row ends with a newline; its values are separated by tabs.
    const char* p = line;
    const char* end = line + (length > 0 && line[length - 1] == '\n' ? length - 1 : length);
    for (size_t i = 0; i < slots.size(); ++i) {
        const auto* tab =
            static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
        const char* stop = tab ? tab : end;
        const std::string_view text(p, static_cast<size_t>(stop - p));
        if (text == "\\N") {
            slots[i] = Null{};
        } else if (text.find('\\') == std::string_view::npos) {
            ReadTextCell(text, kinds_[i], slots[i]);
        } else {
            Unescape(text, unescaped_);
            ReadTextCell(unescaped_, kinds_[i], slots[i]);
        }
        p = tab ? tab + 1 : end;
    }
}

void PgCopyStream::Restart() {
    Drop();
    ended_ = false;
    error_.clear();
    if (!Start(false)) ThrowDatabaseError("Die Abfrage kann nicht erneut gelesen werden");
}

void PgCopyStream::Drop() noexcept {
    for (auto& [line, length] : waiting_) PQfreemem(line);
    waiting_.clear();
    waitingBytes_ = 0;
    // A reader still in its COPY is closed: ending the COPY would mean reading all its rows.
    if (reader_ && ended_) db_->ReturnReader(std::move(reader_));
    reader_.reset();
}

}  // namespace norvik::db
