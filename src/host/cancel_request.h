#pragma once
// The request to cancel a run, which the host may make from its message pump or from a signal
// handler.

namespace norvik {

// Asks the running export to stop after the current row, and the server to cancel a statement it
// waits for; from a signal handler with inSignalHandler, which leaves out what is unsafe there.
void RequestCancel(bool inSignalHandler = false) noexcept;
// True from RequestCancel until ClearCancel.
bool CancelRequested() noexcept;
// Forgets an earlier request, before the host starts a new action.
void ClearCancel() noexcept;

}  // namespace norvik
