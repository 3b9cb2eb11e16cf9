#pragma once
// --no-remember: a per-user store that keeps nothing, so that a run neither takes the choices of
// earlier runs nor leaves its own for later ones.

#include <memory>
#include <string>

#include "host/host_services.h"
#include "host/user_store.h"

namespace norvik::standalone {

class ForgettingStore : public UserSettingsStore {
  public:
    std::string Get(const std::string&, const std::string&, const std::string&,
                    const std::string& def) override {
        return def;
    }
    void Save(const std::string&, const std::string&, const std::string&,
              const std::string&) override {}
};

// While it lives (and forget is true), the component's per-user store keeps nothing.
class ForgettingScope {
  public:
    explicit ForgettingScope(bool forget) : kept_(Services().userSettings), forget_(forget) {
        if (forget_) Services().userSettings = std::make_shared<ForgettingStore>();
    }
    ~ForgettingScope() {
        if (forget_) Services().userSettings = kept_;
    }
    ForgettingScope(const ForgettingScope&) = delete;
    ForgettingScope& operator=(const ForgettingScope&) = delete;

  private:
    std::shared_ptr<UserSettingsStore> kept_;
    bool forget_;
};

}  // namespace norvik::standalone
