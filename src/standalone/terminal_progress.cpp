#include "standalone/terminal_progress.h"

#include <unistd.h>

namespace norvik::standalone {

TerminalProgress::TerminalProgress(std::FILE* stream)
    : stream_(stream), active_(stream && ::isatty(::fileno(stream))) {}

void TerminalProgress::strInfo(const std::string& text) {
    info_ = text;
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
    std::fprintf(stream_, "\r[%s] %3d %%  %s", bar.c_str(), percent_ < 0 ? 0 : percent_,
                 info_.c_str());
    std::fflush(stream_);
    drawnPercent_ = percent_;
}

void TerminalProgress::Done(bool) {
    if (!active_ || drawnPercent_ == -2) return;
    Draw();
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

}  // namespace norvik::standalone
