#include "db/postgresql/pg_error.h"

#include <charconv>
#include <utility>

namespace norvik::db {
namespace {

bool IsLeadByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// The byte offset of a 1-based character position, or npos when it lies beyond the text.
size_t ByteOfCharacter(std::string_view text, long position) {
    long seen = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (IsLeadByte(text[i]) && ++seen == position) return i;
    return seen + 1 == position ? text.size() : std::string_view::npos;
}

size_t CharactersIn(std::string_view text) {
    size_t count = 0;
    for (char c : text) count += IsLeadByte(c);
    return count;
}

std::string Field(const PGresult* result, int code) {
    const char* value = PQresultErrorField(result, code);
    return value ? value : "";
}

}  // namespace

std::string PgServerError(const PGresult* result, std::string message) {
    // The server's bounds are its administrator's settings: the user needs their names to ask for
    // them, whatever language the server speaks.
    const std::string state = result ? Field(result, PG_DIAG_SQLSTATE) : "";
    const char* why = nullptr;
    if (state == "57014")
        why =
            "Der Server hat die Anweisung abgebrochen: Sie dauerte länger, als seine Einstellung "
            "statement_timeout erlaubt (gesetzt für die Rolle, die Datenbank oder in der URL "
            "unter options). Bitte die Grenze erhöhen oder weniger Zeilen auswählen.";
    else if (state == "25P03")
        why =
            "Der Server hat die Sitzung beendet, weil sie länger, als seine Einstellung "
            "idle_in_transaction_session_timeout erlaubt, in einer Transaktion wartete.";
    else if (state == "55P03")
        why =
            "Eine Sperre war nicht in der Zeit zu haben, die die Einstellung lock_timeout "
            "erlaubt: Eine andere Sitzung hält oder ändert die Tabelle (etwa ein ALTER TABLE).";
    if (!why) return message;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return std::string(why) + "\n" + message;
}

std::string PgStatementError(const PGresult* result, std::string_view sent, UserStatement user) {
    const std::string fallback = PgServerError(result, PQresultErrorMessage(result));
    const std::string positionText = Field(result, PG_DIAG_STATEMENT_POSITION);
    long position = 0;
    const auto parsed =
        std::from_chars(positionText.data(), positionText.data() + positionText.size(), position);
    if (positionText.empty() || parsed.ec != std::errc{} || user.offset > sent.size())
        return fallback;

    std::string message =
        Field(result, PG_DIAG_SEVERITY) + ":  " + Field(result, PG_DIAG_MESSAGE_PRIMARY);
    const size_t at = ByteOfCharacter(sent, position);
    const std::string_view statement = sent.substr(user.offset, user.length);
    if (at != std::string_view::npos && at >= user.offset && at <= user.offset + statement.size()) {
        const size_t inStatement = at - user.offset;
        const size_t lineStart = statement.rfind('\n', inStatement == 0 ? 0 : inStatement - 1);
        const size_t from =
            lineStart == std::string_view::npos || inStatement == 0 ? 0 : lineStart + 1;
        const size_t to = std::min(statement.find('\n', from), statement.size());
        size_t lineNumber = 1;
        for (size_t i = 0; i < from; ++i) lineNumber += statement[i] == '\n';
        const std::string label = "LINE " + std::to_string(lineNumber) + ": ";
        message +=
            "\n" + label + std::string(statement.substr(from, to - from)) + "\n" +
            std::string(label.size() + CharactersIn(statement.substr(from, inStatement - from)),
                        ' ') +
            "^";
    }
    if (const std::string detail = Field(result, PG_DIAG_MESSAGE_DETAIL); !detail.empty())
        message += "\nDETAIL:  " + detail;
    if (const std::string hint = Field(result, PG_DIAG_MESSAGE_HINT); !hint.empty())
        message += "\nHINT:  " + hint;
    return PgServerError(result, std::move(message));
}

}  // namespace norvik::db
