#include "ui/run_follower.h"

#include <QCoreApplication>
#include <chrono>
#include <utility>

namespace norvik::ui {
namespace {

// How often the window repaints while rows stream.
constexpr std::chrono::milliseconds kRepaintInterval{200};

}  // namespace

RunFollower::RunFollower(HostServices& services, QWidget* window, std::function<void()> refresh)
    : services_(services),
      throttle_(
          [refresh = std::move(refresh)] {
              refresh();
              QCoreApplication::processEvents();
          },
          kRepaintInterval) {
    savedPump_ = std::exchange(services_.messagePump, [this] { throttle_(); });
    savedBusy_ = std::exchange(services_.busyPointer, [window](bool on) {
        if (on)
            window->setCursor(Qt::WaitCursor);
        else
            window->unsetCursor();
    });
}

RunFollower::~RunFollower() {
    services_.messagePump = std::move(savedPump_);
    services_.busyPointer = std::move(savedBusy_);
}

}  // namespace norvik::ui
