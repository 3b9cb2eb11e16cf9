#pragma once
// The host's busy mouse pointer, shown while a GDPdU medium is built.

#include "host/host_services.h"

namespace norvik {

// Shows the busy pointer of the services for its lifetime.
class BusyPointer {
  public:
    explicit BusyPointer(const HostServices& services) : services_(services) {
        services_.ShowBusy(true);
    }
    ~BusyPointer() { services_.ShowBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    const HostServices& services_;
};

}  // namespace norvik
