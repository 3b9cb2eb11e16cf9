#include "standalone/stop_signals.h"

#include <csignal>

#include "host/cancel_request.h"

namespace norvik::standalone {
namespace {

volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void OnStopSignal(int signal) {
    // A second signal ends the program at once, as the user expects of a second Ctrl+C.
    if (caughtSignal != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    caughtSignal = signal;
    RequestCancel();
}

// Installs the handler unless the signal was ignored when the process started.
void Install(int signal, struct sigaction& old) {
    sigaction(signal, nullptr, &old);
    if (old.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

StopSignals::StopSignals() {
    caughtSignal = 0;
    ClearCancel();
    Install(SIGINT, oldInt_);
    Install(SIGTERM, oldTerm_);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
}

int StopSignals::ExitCode() {
    return 128 + caughtSignal;
}

bool StopSignals::Caught() {
    return caughtSignal != 0;
}

}  // namespace norvik::standalone
