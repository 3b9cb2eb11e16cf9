#include "standalone/progress_line.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "common/count_text.h"

namespace norvik::standalone {
namespace {

using Seconds = std::chrono::duration<double>;

// The rate follows a run that speeds up or slows down, but not every hiccup of a single row.
constexpr auto kWindow = std::chrono::seconds(5);
constexpr auto kSampleEvery = std::chrono::milliseconds(250);
// Less than this says nothing about a rate.
constexpr auto kMinSpan = std::chrono::milliseconds(500);
constexpr int64_t kBarWidth = 20;

// "0:42", "16:34", "2:46:39".
std::string Duration(double seconds) {
    const int64_t s = std::llround(seconds);
    if (s >= 3600) return fmt::format("{}:{:02}:{:02}", s / 3600, s / 60 % 60, s % 60);
    return fmt::format("{}:{:02}", s / 60, s % 60);
}

// "12.345", and a slow run's "2,5".
std::string RateText(double rate) {
    if (rate >= 9.95) return GroupedCount(std::llround(rate));
    std::string text = fmt::format("{:.1f}", rate);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

}  // namespace

ProgressLine::ProgressLine(Clock::time_point start, std::string label)
    : label_(std::move(label)), start_(start), now_(start) {
    samples_.emplace_back(start, 0);
}

void ProgressLine::Update(Clock::time_point now, int64_t rows, int64_t total) {
    now_ = now;
    rows_ = rows;
    total_ = total;
    if (now - samples_.back().first >= kSampleEvery) samples_.emplace_back(now, rows);
    // The oldest sample kept is the last one at least the window back.
    while (samples_.size() > 1 && now - samples_[1].first >= kWindow) samples_.pop_front();
}

double ProgressLine::Rate() const {
    const auto& [time, rows] = samples_.front();
    if (now_ - time < kMinSpan) return -1;
    return static_cast<double>(rows_ - rows) / Seconds(now_ - time).count();
}

std::string ProgressLine::Text(bool finished) const {
    std::string text = label_.empty() ? std::string() : label_ + "  ";
    const int64_t done = std::min(rows_, total_);
    if (total_ > 0) {
        const int64_t filled = done * kBarWidth / total_;
        text += fmt::format("[{}{}] {:>3} %  ", std::string(static_cast<size_t>(filled), '#'),
                            std::string(static_cast<size_t>(kBarWidth - filled), '.'),
                            done * 100 / total_);
    }
    text += GroupedCount(rows_) + (rows_ == 1 ? " Datensatz" : " Datensätze");
    if (finished) {
        const double elapsed = Seconds(now_ - start_).count();
        if (elapsed > 0 && rows_ > 0)
            text += ", " + RateText(static_cast<double>(rows_) / elapsed) + " Datensätze/s";
        return text + ", Dauer " + Duration(elapsed);
    }
    const double rate = Rate();
    if (rate < 0) return text;
    text += ", " + RateText(rate) + " Datensätze/s";
    if (total_ > 0 && rate > 0)
        text += ", noch " + Duration(static_cast<double>(total_ - done) / rate);
    return text;
}

}  // namespace norvik::standalone
