#pragma once
// Shows a run's progress on a terminal: a bar with the percentage and the row text.

#include <iosfwd>
#include <string>

#include "engine/tq_export.h"

namespace norvik::standalone {

class TerminalProgress : public TQExportEvents {
  public:
    // Draws on the stream only when it is the standard error and that is a terminal.
    explicit TerminalProgress(std::ostream& stream);
    void strInfo(const std::string& text) override;
    void ExportProgress(int16_t percent) override;
    void ExportState(const std::string& text) override { state_ = text; }
    void Done(bool) override;
    // The last ExportState text.
    const std::string& State() const { return state_; }

  private:
    void Draw();

    std::ostream& stream_;
    bool active_;
    int percent_ = -1;
    int drawnPercent_ = -2;
    std::string info_;
    std::string state_;
};

}  // namespace norvik::standalone
