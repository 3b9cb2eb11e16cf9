#include "standalone/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/cases.h"

namespace norvik::standalone {
namespace {

// The cases of cases/progress_lines.tsv.
TEST(ProgressLineTest, ShowsRateAndTimeLeftAsPvDoes) {
    for (const test::CaseRow& c : test::ReadCases("cli/cases/progress_lines.tsv")) {
        const ProgressLine::Clock::time_point start;
        ProgressLine line(start, c[0]);
        const int64_t total = std::stoll(c[2]);
        const auto update = [&](long ms, int64_t rows) {
            line.Update(start + std::chrono::milliseconds(ms), rows, total);
        };
        std::istringstream updates(c[1]);
        for (std::string u; updates >> u;) {
            long from = 0, to = 0;
            long long rows = 0, rate = 0;
            if (std::sscanf(u.c_str(), "%ld-%ld@%lld+%lld", &from, &to, &rows, &rate) == 4) {
                for (long ms = from + 250; ms <= to; ms += 250)
                    update(ms, rows + rate * (ms - from) / 1000);
            } else if (std::sscanf(u.c_str(), "%ld:%lld", &from, &rows) == 2) {
                update(from, rows);
            } else {
                ADD_FAILURE() << c.where << ": no update " << u;
            }
        }
        EXPECT_EQ(line.Text(c[3] == "1"), c[4]) << c.where;
    }
}

}  // namespace
}  // namespace norvik::standalone
