#include "standalone/terminal_progress.h"

#include <fmt/format.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace norvik::standalone {
namespace {

// One terminal, one line kept open on it.
TerminalProgress* openLine = nullptr;

// Often enough for the rate and the time left to move, seldom enough to cost nothing.
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);

size_t Columns(const std::string& utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
    }));
}

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& stream, const TQExport& engine, std::string label)
    : stream_(stream),
      engine_(engine),
      label_(std::move(label)),
      active_(&stream == &std::cerr && ::isatty(STDERR_FILENO)) {}

TerminalProgress::~TerminalProgress() {
    EndLine();
}

void TerminalProgress::RowsExported(int64_t rows) {
    rows_ = rows;
}

void TerminalProgress::ExportProgress(int16_t percent) {
    if (!active_ || ended_) return;
    const ProgressLine::Clock::time_point now = ProgressLine::Clock::now();
    if (!line_) line_.emplace(now, label_);
    line_->Update(now, rows_, engine_.ExpectedRows());
    // Redrawing only now and then keeps the terminal off the hot path.
    if (percent == percent_ && now - drawn_ < kRedrawEvery) return;
    percent_ = percent;
    drawn_ = now;
    Draw(false);
}

void TerminalProgress::Draw(bool finished) {
    const std::string text = line_->Text(finished);
    const size_t width = Columns(text);
    stream_ << '\r' << text;
    // A shorter line leaves none of the longer one behind.
    if (width < drawnWidth_) stream_ << std::string(drawnWidth_ - width, ' ');
    stream_ << std::flush;
    drawnWidth_ = std::max(width, drawnWidth_);
    openLine = this;
}

void TerminalProgress::EndLine() {
    if (!line_ || ended_) return;
    ended_ = true;
    line_->Update(ProgressLine::Clock::now(), rows_, engine_.ExpectedRows());
    Draw(true);
    stream_ << '\n' << std::flush;
    if (openLine == this) openLine = nullptr;
}

void TerminalProgress::Done(bool) {
    EndLine();
}

MediumProgress::MediumProgress(std::ostream& stream, const TQGDPdU& gdpdu) {
    size_t tables = 0;
    for (const auto& entry : *gdpdu.GxpFiles) tables += entry->Selected && entry->Export ? 1 : 0;
    for (const auto& entry : *gdpdu.GxpFiles) {
        if (!entry->Selected || !entry->Export) continue;
        const std::string label =
            fmt::format("{} ({}/{})", entry->Caption.empty() ? entry->TableName : entry->Caption,
                        tables_.size() + 1, tables);
        auto progress = std::make_unique<TerminalProgress>(stream, *entry->Export, label);
        entry->Export->CountRows = progress->Shown();
        entry->Export->Advise(progress.get());
        tables_.emplace_back(entry->Export, std::move(progress));
    }
}

MediumProgress::~MediumProgress() {
    for (const auto& [engine, progress] : tables_) engine->Advise(nullptr);
}

void EndProgressLine() {
    if (openLine) openLine->EndLine();
}

}  // namespace norvik::standalone
