#pragma once
// A run's progress as one terminal line, the way pv and rsync show it: a bar, the percentage, the
// rows, rows per second over the last seconds and the time left.

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

namespace norvik::standalone {

class ProgressLine {
  public:
    using Clock = std::chrono::steady_clock;

    // A run whose first row arrives at start; label goes in front of the line ("Kunden (2/4)").
    explicit ProgressLine(Clock::time_point start, std::string label = {});
    // Notes that rows of total rows (0 while the total is not known) are done at now.
    void Update(Clock::time_point now, int64_t rows, int64_t total);
    // The line while the run goes on (rate and time left) or, finished, after it (average rate
    // and the time it took).
    std::string Text(bool finished) const;

  private:
    // Rows per second over the last seconds; negative while too little time has passed.
    double Rate() const;

    std::string label_;
    Clock::time_point start_;
    Clock::time_point now_;
    int64_t rows_ = 0;
    int64_t total_ = 0;
    std::deque<std::pair<Clock::time_point, int64_t>> samples_;  // oldest first
};

}  // namespace norvik::standalone
