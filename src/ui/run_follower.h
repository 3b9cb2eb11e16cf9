#pragma once
// While a RunFollower lives, the run's message pump repaints a window (at most every 200 ms), the
// run's busy pointer shows over it, and a statement the run waits for runs on a thread of its own
// while the window keeps answering (Abbrechen cancels it on the database); the host's own hooks
// come back afterwards.

#include <QWidget>
#include <functional>

#include "engine/export_start.h"
#include "forms/pump_throttle.h"
#include "host/host_services.h"

namespace norvik::ui {

class RunFollower {
  public:
    // refresh brings the window's widgets up to date before the window repaints; waiting is told
    // when a wait for a statement begins (true) and ends (false).
    RunFollower(HostServices& services, QWidget* window, std::function<void()> refresh,
                std::function<void(bool)> waiting = {});
    ~RunFollower();
    RunFollower(const RunFollower&) = delete;
    RunFollower& operator=(const RunFollower&) = delete;

  private:
    HostServices& services_;
    PumpThrottle throttle_;
    std::function<void()> savedPump_;
    std::function<void(bool)> savedBusy_;
    StatementWaiter savedWaiter_;
};

}  // namespace norvik::ui
