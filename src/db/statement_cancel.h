#pragma once
// A statement the program waits for on a PostgreSQL server can be cancelled there from a signal
// handler, so that a stop need not wait for a lock someone else holds or for a slow plan.

#include <libpq-fe.h>

namespace norvik::db {

// Asks the server to cancel the statement a session waits for now, if any; safe in a signal
// handler and from any thread.
void CancelWaitingStatement() noexcept;

// While it lives, the session's statement is the one CancelWaitingStatement cancels.
class WaitingStatement {
  public:
    explicit WaitingStatement(PGcancel* cancel) noexcept;
    // Returns only when no handler uses the session's cancel any more.
    ~WaitingStatement();
    WaitingStatement(const WaitingStatement&) = delete;
    WaitingStatement& operator=(const WaitingStatement&) = delete;

  private:
    int slot_ = -1;  // none when every slot is taken: the statement then runs uncancelled
};

}  // namespace norvik::db
