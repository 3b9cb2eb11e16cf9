#pragma once
// While a RunFollower lives, the run's message pump repaints a window (at most every 200 ms) and
// the run's busy pointer shows over it; the host's own hooks come back afterwards.

#include <QWidget>
#include <functional>

#include "forms/pump_throttle.h"
#include "host/host_services.h"

namespace norvik::ui {

class RunFollower {
  public:
    // refresh brings the window's widgets up to date before the window repaints.
    RunFollower(HostServices& services, QWidget* window, std::function<void()> refresh);
    ~RunFollower();
    RunFollower(const RunFollower&) = delete;
    RunFollower& operator=(const RunFollower&) = delete;

  private:
    HostServices& services_;
    PumpThrottle throttle_;
    std::function<void()> savedPump_;
    std::function<void(bool)> savedBusy_;
};

}  // namespace norvik::ui
