#pragma once
// PostgreSQL's error message for a statement the component wrapped around the user's own.

#include <libpq-fe.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace norvik::db {

// The part of a sent statement that the user wrote, in bytes.
struct UserStatement {
    size_t offset = 0;
    size_t length = 0;
};

// The server's message, led by what a bound of the server that ended the statement is called
// (statement_timeout, idle_in_transaction_session_timeout, lock_timeout).
std::string PgServerError(const PGresult* result, std::string message);

// The server's message with its "LINE n:" excerpt and caret taken from the user's statement, not
// from the wrapper around it; without a position the message as libpq gives it.
std::string PgStatementError(const PGresult* result, std::string_view sent, UserStatement user);

}  // namespace norvik::db
