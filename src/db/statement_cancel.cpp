#include "db/statement_cancel.h"

#include <sql.h>
#include <sqlite3.h>

#include <atomic>

namespace norvik::db {
namespace {

// One slot a waiting handle: sessions may wait on several threads at once.
constexpr int kSlots = 8;
std::atomic<void*> waiting[3][kSlots];
// Handlers between taking a pointer and being done with it.
std::atomic<int> cancelling{0};
static_assert(std::atomic<void*>::is_always_lock_free);

}  // namespace

void CancelWaitingStatement(bool inSignalHandler) noexcept {
    cancelling.fetch_add(1);
    for (int kind = 0; kind < 3; ++kind) {
        for (std::atomic<void*>& slot : waiting[kind]) {
            void* handle = slot.load();
            if (!handle) continue;
            if (kind == 0) {
                // PQcancel is made for signal handlers; its message goes to a buffer of our own.
                char error[256];
                PQcancel(static_cast<PGcancel*>(handle), error, sizeof error);
            } else if (kind == 1) {
                // Only sets a flag that the running statement checks.
                sqlite3_interrupt(static_cast<sqlite3*>(handle));
            } else if (!inSignalHandler) {
                SQLCancel(static_cast<SQLHSTMT>(handle));
            }
        }
    }
    cancelling.fetch_sub(1);
}

WaitingStatement::WaitingStatement(Kind kind, void* handle) noexcept : kind_(kind) {
    if (!handle) return;
    std::atomic<void*>* slots = waiting[static_cast<int>(kind)];
    for (int i = 0; i < kSlots && slot_ < 0; ++i) {
        void* free = nullptr;
        if (slots[i].compare_exchange_strong(free, handle)) slot_ = i;
    }
}

WaitingStatement::WaitingStatement(PGcancel* cancel) noexcept
    : WaitingStatement(Kind::Postgres, cancel) {}

WaitingStatement::WaitingStatement(sqlite3* db) noexcept : WaitingStatement(Kind::Sqlite, db) {}

WaitingStatement WaitingStatement::Odbc(void* statement) noexcept {
    return WaitingStatement(Kind::Odbc, statement);
}

WaitingStatement::WaitingStatement(WaitingStatement&& other) noexcept
    : kind_(other.kind_), slot_(other.slot_) {
    other.slot_ = -1;
}

WaitingStatement::~WaitingStatement() {
    if (slot_ < 0) return;
    waiting[static_cast<int>(kind_)][slot_].store(nullptr);
    // The session and its handle may go away after this.
    while (cancelling.load() != 0) {
    }
}

}  // namespace norvik::db
