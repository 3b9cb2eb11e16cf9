#pragma once
// Lets the host's message pump through at most once per interval: the run calls the pump after
// every row, and a repaint per row would cost more than the row.

#include <chrono>
#include <functional>

namespace norvik {

class PumpThrottle {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // A throttle over the pump; the clock is the steady clock unless a test gives its own.
    PumpThrottle(std::function<void()> pump, std::chrono::milliseconds interval,
                 Clock clock = &std::chrono::steady_clock::now);

    // Runs the pump when it is the first call or the interval has passed since the pump last ran.
    void operator()();

  private:
    std::function<void()> pump_;
    std::chrono::steady_clock::duration interval_;
    Clock clock_;
    std::chrono::steady_clock::time_point last_{};
    bool ranOnce_ = false;
};

}  // namespace norvik
