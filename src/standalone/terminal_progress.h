#pragma once
// Shows a run's progress on a terminal: one line with a bar, the rows, their rate and the time
// left, redrawn in place and kept when the run ends.

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/tq_export.h"
#include "gdpdu/tq_gdpdu.h"
#include "standalone/progress_line.h"

namespace norvik::standalone {

class TerminalProgress : public TQExportEvents {
  public:
    // Draws on the stream only when it is the standard error and that is a terminal; engine: the
    // one whose run it shows; label: in front of the line (a table of a data medium).
    TerminalProgress(std::ostream& stream, const TQExport& engine, std::string label = {});
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void RowsExported(int64_t rows) override;
    void ExportProgress(int16_t percent) override;
    void ExportState(const std::string& text) override { state_ = text; }
    void Done(bool) override;
    // True when it draws: only then is a share of the rows worth counting them for.
    bool Shown() const { return active_; }
    // The last ExportState text.
    const std::string& State() const { return state_; }
    // Draws the line with the run's final figures and ends it, once.
    void EndLine();

  private:
    void Draw(bool finished);

    std::ostream& stream_;
    const TQExport& engine_;
    std::string label_;
    bool active_;
    std::optional<ProgressLine> line_;  // from the first row on
    int64_t rows_ = 0;
    int percent_ = -1;
    ProgressLine::Clock::time_point drawn_{};
    size_t drawnWidth_ = 0;
    bool ended_ = false;
    std::string state_;
};

// A line per table of a data medium's build, as run shows its one, while it lives.
class MediumProgress {
  public:
    // Attaches a progress to each selected table's export (see TerminalProgress for the stream);
    // an export counts its rows only where its progress is shown.
    MediumProgress(std::ostream& stream, const TQGDPdU& gdpdu);
    ~MediumProgress();
    MediumProgress(const MediumProgress&) = delete;
    MediumProgress& operator=(const MediumProgress&) = delete;

  private:
    std::vector<std::pair<std::shared_ptr<TQExport>, std::unique_ptr<TerminalProgress>>> tables_;
};

// Ends the line a progress keeps open on the terminal, if there is one, so that what is written
// next starts on a line of its own.
void EndProgressLine();

}  // namespace norvik::standalone
