#include "ui/run_follower.h"

#include <QCoreApplication>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "db/statement_cancel.h"
#include "host/cancel_request.h"

namespace norvik::ui {
namespace {

// How often the window repaints while rows stream.
constexpr std::chrono::milliseconds kRepaintInterval{200};
// How often the window answers while the run waits for its statement.
constexpr std::chrono::milliseconds kWaitTurn{15};

}  // namespace

RunFollower::RunFollower(HostServices& services, QWidget* window, std::function<void()> refresh,
                         std::function<void(bool)> waiting)
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
    savedWaiter_ =
        SetStatementWaiter([waiting = std::move(waiting)](const std::function<void()>& work) {
            if (waiting) waiting(true);
            // The window paints and takes Abbrechen while the database works; the work ends by
            // itself or by the cancel Abbrechen sends to the database. Posted events (paints)
            // are sent here directly: the run may have started inside the delivery of a posted
            // event, whose event source does not recurse.
            std::mutex mutex;
            std::condition_variable finished;
            bool done = false;
            std::thread worker([&] {
                work();
                const std::lock_guard lock(mutex);
                done = true;
                finished.notify_one();
            });
            for (;;) {
                QCoreApplication::sendPostedEvents();
                QCoreApplication::processEvents();
                // A stop asked for before the statement reached the database is sent again.
                if (CancelRequested()) db::CancelWaitingStatement();
                std::unique_lock lock(mutex);
                if (finished.wait_for(lock, kWaitTurn, [&] { return done; })) break;
            }
            worker.join();
            if (waiting) waiting(false);
        });
}

RunFollower::~RunFollower() {
    services_.messagePump = std::move(savedPump_);
    services_.busyPointer = std::move(savedBusy_);
    SetStatementWaiter(std::move(savedWaiter_));
}

}  // namespace norvik::ui
