#pragma once
// The host's busy mouse pointer, shown while a GDPdU medium is built.

#include <functional>

namespace norvik {

// Sets the hook that shows (true) or restores (false) the pointer; null: nothing to show.
void SetBusyPointerHook(std::function<void(bool)> hook);

// Shows the busy pointer for its lifetime.
class BusyPointer {
  public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace norvik
