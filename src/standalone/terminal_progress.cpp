#include "standalone/terminal_progress.h"

#include <unistd.h>

#include <iomanip>
#include <iostream>

#include "common/count_text.h"

namespace norvik::standalone {

TerminalProgress::TerminalProgress(std::ostream& stream)
    : stream_(stream), active_(&stream == &std::cerr && ::isatty(STDERR_FILENO)) {}

void TerminalProgress::strInfo(const std::string& text) {
    // Comes once per row: the text is made readable only when it is drawn.
    if (active_) info_ = text;
}

void TerminalProgress::ExportProgress(int16_t percent) {
    percent_ = percent;
    // Redrawing only when the percentage changes keeps the terminal off the hot path.
    if (active_ && percent_ != drawnPercent_) Draw();
}

void TerminalProgress::Draw() {
    constexpr int kWidth = 30;
    const int filled = percent_ < 0 ? 0 : (percent_ > 100 ? kWidth : percent_ * kWidth / 100);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '.');
    stream_ << "\r[" << bar << "] " << std::setw(3) << (percent_ < 0 ? 0 : percent_) << " %  "
            << ReadableCountText(info_) << std::flush;
    drawnPercent_ = percent_;
}

void TerminalProgress::Done(bool) {
    if (!active_ || drawnPercent_ == -2) return;
    Draw();
    stream_ << '\n' << std::flush;
}

}  // namespace norvik::standalone
