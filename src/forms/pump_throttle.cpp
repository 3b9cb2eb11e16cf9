#include "forms/pump_throttle.h"

namespace norvik {

PumpThrottle::PumpThrottle(std::function<void()> pump, std::chrono::milliseconds interval,
                           Clock clock)
    : pump_(std::move(pump)), interval_(interval), clock_(std::move(clock)) {}

void PumpThrottle::operator()() {
    const auto now = clock_();
    if (ranOnce_ && now - last_ < interval_) return;
    ranOnce_ = true;
    last_ = now;
    if (pump_) pump_();
}

}  // namespace norvik
