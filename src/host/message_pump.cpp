#include "host/message_pump.h"

#include <atomic>

namespace norvik {
namespace {

std::function<void()>& Pump() {
    static std::function<void()> pump;
    return pump;
}

// Set from signal handlers, so it must not need a lock.
std::atomic<bool> cancelRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void SetMessagePump(std::function<void()> pump) {
    Pump() = std::move(pump);
}

void PumpMessages() {
    if (Pump()) Pump()();
}

void RequestCancel() noexcept {
    cancelRequested.store(true, std::memory_order_relaxed);
}

bool CancelRequested() noexcept {
    return cancelRequested.load(std::memory_order_relaxed);
}

void ClearCancel() noexcept {
    cancelRequested.store(false, std::memory_order_relaxed);
}

}  // namespace norvik
