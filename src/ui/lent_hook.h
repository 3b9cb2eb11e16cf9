#pragma once
// Lends a run a hook of the services and gives the host's one back afterwards.

#include <utility>

namespace norvik::ui {

template <typename Hook>
class LentHook {
  public:
    LentHook(Hook& slot, Hook lent) : slot_(slot), saved_(std::move(slot)) {
        slot_ = std::move(lent);
    }
    ~LentHook() { slot_ = std::move(saved_); }
    LentHook(const LentHook&) = delete;
    LentHook& operator=(const LentHook&) = delete;

  private:
    Hook& slot_;
    Hook saved_;
};

}  // namespace norvik::ui
