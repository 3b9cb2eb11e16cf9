#pragma once
// Table-driven cases of the VB Format tests: a value, a format and the text it must give.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/vb_convert.h"
#include "common/vb_format.h"

namespace norvik::test {

struct FormatCase {
    Value value;
    std::string format;
    std::string expected;
};

inline Value Text(const char* text) {
    return std::string(text);
}
inline Value Dec(const char* text) {
    return Decimal{text};
}
inline Value Int(int64_t v) {
    return v;
}
inline Value Dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return DateTime{y, mo, d, h, mi, s};
}

// Formats every case and compares; a failure names the format (cut at 40 characters) and value.
inline void Check(const std::vector<FormatCase>& cases) {
    for (const FormatCase& c : cases) {
        EXPECT_EQ(Format(c.value, c.format), c.expected)
            << "format [" << c.format.substr(0, 40) << "] value [" << ToText(c.value) << "]";
    }
}

}  // namespace norvik::test
