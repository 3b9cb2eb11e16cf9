#include "host/cancel_request.h"

#include <atomic>

#include "db/statement_cancel.h"

namespace norvik {
namespace {

// Set from signal handlers, so it must not need a lock.
std::atomic<bool> cancelRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void RequestCancel(bool inSignalHandler) noexcept {
    cancelRequested.store(true, std::memory_order_relaxed);
    // A run waiting for the server (a lock, a slow plan) would hear of it only afterwards.
    db::CancelWaitingStatement(inSignalHandler);
}

bool CancelRequested() noexcept {
    return cancelRequested.load(std::memory_order_relaxed);
}

void ClearCancel() noexcept {
    cancelRequested.store(false, std::memory_order_relaxed);
}

}  // namespace norvik
