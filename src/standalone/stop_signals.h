#pragma once
// While a StopSignals lives, SIGINT and SIGTERM ask the running export or build to stop after the
// current row instead of ending the program with a half-written file. A signal the process was
// started with ignored (a background job of a script, nohup) stays ignored.

#include <signal.h>

namespace norvik::standalone {

class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The exit code of a run that a signal ended: 128 plus the signal's number, as shells report.
    static int ExitCode();
    // True once a signal asked the run to stop.
    static bool Caught();
    // Becomes readable when a signal comes, for an event loop to watch: a handler may not touch
    // the loop itself.
    int WakeDescriptor() const { return wake_[0]; }

  private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    int wake_[2] = {-1, -1};
};

}  // namespace norvik::standalone
