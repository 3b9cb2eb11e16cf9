#include "standalone/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

#include "host/cancel_request.h"

namespace norvik::standalone {
namespace {

// Set and read in handlers, which may run on any of the process's threads (Qt starts some).
std::atomic<int> caughtSignal{0};
std::atomic<int> wakeWrite{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
    // A second signal ends the program at once, as the user expects of a second Ctrl+C.
    if (caughtSignal.load() != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    caughtSignal.store(signal);
    RequestCancel(true);
    const int savedErrno = errno;
    if (const int fd = wakeWrite.load(); fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, "!", 1);
    }
    errno = savedErrno;
}

// Installs the handler unless the signal was ignored when the process started.
void Install(int signal, struct sigaction& old) {
    sigaction(signal, nullptr, &old);
    if (old.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

StopSignals::StopSignals() {
    caughtSignal.store(0);
    ClearCancel();
    // Without the pipe a signal still stops a run; only an event loop would not hear of it.
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) == 0)
        wakeWrite.store(wake_[1]);
    else
        wake_[0] = wake_[1] = -1;
    Install(SIGINT, oldInt_);
    Install(SIGTERM, oldTerm_);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
    wakeWrite.store(-1);
    for (const int fd : wake_)
        if (fd >= 0) ::close(fd);
}

int StopSignals::ExitCode() {
    return 128 + caughtSignal.load();
}

bool StopSignals::Caught() {
    return caughtSignal.load() != 0;
}

}  // namespace norvik::standalone
