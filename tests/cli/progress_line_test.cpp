#include "standalone/progress_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace norvik::standalone {
namespace {

using std::chrono::milliseconds;

struct Step {
    int ms;  // since the first row
    int64_t rows;
};

// Updates every quarter second at rowsPerSecond from the row count at fromMs until toMs.
std::vector<Step> Steady(int fromMs, int toMs, int64_t fromRows, int64_t rowsPerSecond) {
    std::vector<Step> steps;
    for (int ms = fromMs + 250; ms <= toMs; ms += 250)
        steps.push_back({ms, fromRows + rowsPerSecond * (ms - fromMs) / 1000});
    return steps;
}

template <typename... Parts>
std::vector<Step> Joined(const Parts&... parts) {
    std::vector<Step> steps;
    (steps.insert(steps.end(), parts.begin(), parts.end()), ...);
    return steps;
}

TEST(ProgressLineTest, ShowsRateAndTimeLeftAsPvDoes) {
    struct Case {
        const char* label;
        std::vector<Step> steps;
        int64_t total;
        bool finished;
        const char* line;
    };
    const Case cases[] = {
        // Too soon for a rate.
        {"", {{200, 10}}, 100, false, "[##..................]  10 %  10 Datensätze"},
        {"", Steady(0, 2000, 0, 1000), 10000, false,
         "[####................]  20 %  2.000 Datensätze, 1.000 Datensätze/s, noch 0:08"},
        // The rate is the last seconds', not the whole run's.
        {"", Joined(Steady(0, 10000, 0, 100), Steady(10000, 15000, 1000, 1000)), 1000000, false,
         "[....................]   0 %  6.000 Datensätze, 1.000 Datensätze/s, noch 16:34"},
        {"", Steady(0, 1000, 0, 10), 100000, false,
         "[....................]   0 %  10 Datensätze, 10 Datensätze/s, noch 2:46:39"},
        // Without a total there is nothing to measure the rest by.
        {"", Steady(0, 2000, 0, 3), 0, false, "6 Datensätze, 3,0 Datensätze/s"},
        {"", {{0, 1}}, 1, false, "[####################] 100 %  1 Datensatz"},
        {"Kunden (2/4)", Steady(0, 12250, 0, 4000), 49000, true,
         "Kunden (2/4)  [####################] 100 %  49.000 Datensätze, 4.000 Datensätze/s, "
         "Dauer 0:12"},
        // A run of a moment has no rate worth showing.
        {"Artikel (4/4)",
         {{0, 148}},
         148,
         true,
         "Artikel (4/4)  [####################] 100 %  148 Datensätze, Dauer 0:00"},
    };
    for (const Case& c : cases) {
        const ProgressLine::Clock::time_point start;
        ProgressLine line(start, c.label);
        for (const Step& step : c.steps)
            line.Update(start + milliseconds(step.ms), step.rows, c.total);
        EXPECT_EQ(line.Text(c.finished), c.line);
    }
}

}  // namespace
}  // namespace norvik::standalone
