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

// While it lives (and forget is true), the services' per-user store keeps nothing.
class ForgettingScope {
  public:
    ForgettingScope(HostServices& services, bool forget)
        : services_(services), kept_(services.userSettings), forget_(forget) {
        if (forget_) services_.userSettings = std::make_shared<ForgettingStore>();
    }
    ~ForgettingScope() {
        if (forget_) services_.userSettings = kept_;
    }
    ForgettingScope(const ForgettingScope&) = delete;
    ForgettingScope& operator=(const ForgettingScope&) = delete;

  private:
    HostServices& services_;
    std::shared_ptr<UserSettingsStore> kept_;
    bool forget_;
};

}  // namespace norvik::standalone
