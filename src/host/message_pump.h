#pragma once
// The host's hook that processes pending window messages between rows of a run, and the request
// to cancel a run that the host may make from that hook or from a signal handler.

#include <functional>

namespace norvik {

// Sets the hook (null: nothing to process, as on the command line).
void SetMessagePump(std::function<void()> pump);
// Lets the host process pending window messages.
void PumpMessages();

// Asks the running export to stop after the current row; safe to call from a signal handler.
void RequestCancel() noexcept;
// True from RequestCancel until ClearCancel.
bool CancelRequested() noexcept;
// Forgets an earlier request, before the host starts a new action.
void ClearCancel() noexcept;

}  // namespace norvik
