#pragma once
// The texts of a build gathered for its one final message, while questions and error reports
// still reach the host at once.

#include <memory>
#include <string>
#include <vector>

#include "host/host_messages.h"

namespace norvik {

class GatheredMessages : public HostMessages {
  public:
    explicit GatheredMessages(HostMessages& host) : host_(host) {}

    // Keeps the text; style 4 (information) texts are the tables' own summaries.
    void ShowText(const std::string& text, int32_t style) override;
    int32_t ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                        bool flag) override;
    void ReportError(const std::string& className, const std::string& operation, int32_t number,
                     const std::string& description, bool flag) override;

    // The texts kept that are not information, in order.
    const std::vector<std::string>& Problems() const { return problems_; }

  private:
    HostMessages& host_;
    std::vector<std::string> problems_;
};

// Lends the services a gathering of their messages while it lives.
class GatheringScope {
  public:
    GatheringScope(std::shared_ptr<HostMessages>& slot, std::shared_ptr<GatheredMessages> lent)
        : slot_(slot), saved_(slot) {
        slot_ = std::move(lent);
    }
    ~GatheringScope() { slot_ = saved_; }
    GatheringScope(const GatheringScope&) = delete;
    GatheringScope& operator=(const GatheringScope&) = delete;

  private:
    std::shared_ptr<HostMessages>& slot_;
    std::shared_ptr<HostMessages> saved_;
};

}  // namespace norvik
