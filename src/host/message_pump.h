#pragma once
// The host's hook that processes pending window messages between rows of a run.

#include <functional>

namespace norvik {

// Sets the hook (null: nothing to process, as on the command line).
void SetMessagePump(std::function<void()> pump);
// Lets the host process pending window messages.
void PumpMessages();

}  // namespace norvik
