#include "gdpdu/busy_pointer.h"

namespace norvik {
namespace {

std::function<void(bool)>& Hook() {
    static std::function<void(bool)> hook;
    return hook;
}

}  // namespace

void SetBusyPointerHook(std::function<void(bool)> hook) {
    Hook() = std::move(hook);
}

BusyPointer::BusyPointer() {
    if (Hook()) Hook()(true);
}

BusyPointer::~BusyPointer() {
    try {
        if (Hook()) Hook()(false);
    } catch (...) {
    }
}

}  // namespace norvik
