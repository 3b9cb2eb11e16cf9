#include "db/statement_cancel.h"

#include <atomic>

namespace norvik::db {
namespace {

// One slot a waiting statement: sessions may wait on several threads at once.
constexpr int kSlots = 8;
std::atomic<PGcancel*> waiting[kSlots];
// Handlers between taking a pointer and being done with it.
std::atomic<int> cancelling{0};
static_assert(std::atomic<PGcancel*>::is_always_lock_free);

}  // namespace

void CancelWaitingStatement() noexcept {
    cancelling.fetch_add(1);
    for (std::atomic<PGcancel*>& slot : waiting) {
        if (PGcancel* cancel = slot.load()) {
            // PQcancel is made for signal handlers; its message goes to a buffer of our own.
            char error[256];
            PQcancel(cancel, error, sizeof error);
        }
    }
    cancelling.fetch_sub(1);
}

WaitingStatement::WaitingStatement(PGcancel* cancel) noexcept {
    if (!cancel) return;
    for (int i = 0; i < kSlots && slot_ < 0; ++i) {
        PGcancel* free = nullptr;
        if (waiting[i].compare_exchange_strong(free, cancel)) slot_ = i;
    }
}

WaitingStatement::~WaitingStatement() {
    if (slot_ < 0) return;
    waiting[slot_].store(nullptr);
    // The session and its cancel may go away after this.
    while (cancelling.load() != 0) {
    }
}

}  // namespace norvik::db
