#include "db/postgresql/pg_copy_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "db/db_error.h"
#include "db/postgresql/pg_binary.h"
#include "db/postgresql/pg_columns.h"

namespace norvik::db {
namespace {

constexpr size_t kCopyPrefix = sizeof "COPY (\n" - 1;
// The binary COPY's signature, flags and length of its header extension.
constexpr size_t kBinaryHeader = 19;

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

std::unique_ptr<PgCopyStream> PgCopyStream::Open(PgDatabase& db, const PGresult* described,
                                                 const std::string& body) {
    std::unique_ptr<PgCopyStream> stream(new PgCopyStream(db, body));
    bool binary = true;
    for (int i = 0; i < PQnfields(described); ++i) {
        stream->kinds_.push_back(PgKindOf(PQftype(described, i)));
        stream->forms_.push_back(PgBinaryOf(PQftype(described, i)));
        binary = binary && stream->forms_.back() != PgBinary::kNone;
    }
    // Binary spares the server writing texts, where every column's type has a binary form read
    // here; the texts otherwise.
    if (!binary) stream->forms_.clear();
    // Newlines keep a trailing line comment from swallowing the closing parenthesis.
    stream->sql_ = "COPY (\n" + body + "\n) TO STDOUT" + (binary ? " (FORMAT binary)" : "");
    if (!stream->Start()) return nullptr;
    return stream;
}

PgCopyStream::~PgCopyStream() {
    Stop();
}

bool PgCopyStream::Start() {
    // A COPY that fails or is stopped leaves the transaction usable from the savepoint on.
    db_->Run("SAVEPOINT norvik_copy");
    header_ = !forms_.empty();
    const WaitingStatement waiting(db_->Canceller());
    PgResult started(PQexec(db_->Handle(), sql_.c_str()));
    if (PQresultStatus(started.get()) == PGRES_COPY_OUT) {
        ended_ = false;
        // For the whole COPY rather than each wait for a row: the rows are the hot path.
        streaming_.emplace(db_->Canceller());
        return true;
    }
    db_->RunQuietly("ROLLBACK TO SAVEPOINT norvik_copy");
    return false;
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

void PgCopyStream::Finish() {
    ended_ = true;
    streaming_.reset();
    PGconn* conn = db_->Handle();
    PgResult result(PQgetResult(conn));
    while (PGresult* extra = PQgetResult(conn)) PQclear(extra);
    if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        error_ = result ? PgStatementError(result.get(), sql_, {kCopyPrefix, body_.size()})
                        : PQerrorMessage(conn);
}

void PgCopyStream::Stop() noexcept {
    if (ended_) return;
    PGconn* conn = db_->Handle();
    if (PGcancel* cancel = PQgetCancel(conn)) {
        char error[256];
        PQcancel(cancel, error, sizeof error);
        PQfreeCancel(cancel);
    }
    // The rows still on their way end with the cancel's error.
    char* line = nullptr;
    while (PQgetCopyData(conn, &line, 0) >= 0) PQfreemem(line);
    Finish();
    error_.clear();
    db_->RunQuietly("ROLLBACK TO SAVEPOINT norvik_copy");
}

bool PgCopyStream::Next(std::vector<Value>& slots) {
    char* line = nullptr;
    int length = 0;
    while (!ended_) {
        length = PQgetCopyData(db_->Handle(), &line, 0);
        if (length < 0) {
            line = nullptr;
            Finish();
        } else if (Keep(line, length)) {
            break;
        } else {
            line = nullptr;
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
    Stop();
    error_.clear();
    if (!Start()) ThrowDatabaseError("Die Abfrage kann nicht erneut gelesen werden");
}

}  // namespace norvik::db
