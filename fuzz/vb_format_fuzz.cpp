// Feeds arbitrary format texts and values to the VB Format parser and applier.
// Input: format text, a zero byte, then the value text; the value's bytes also seed the numbers.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "common/vb_format.h"
#include "common/vb_parse.h"

namespace {

template <typename T>
T Bytes(std::string_view s) {
    T v{};
    // An empty view may have no data pointer, which memcpy must not get even for zero bytes.
    if (!s.empty()) std::memcpy(&v, s.data(), s.size() < sizeof v ? s.size() : sizeof v);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.find('\0');
    const std::string_view format = input.substr(0, zero);
    const std::string_view text =
        zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);

    norvik::ParseGermanNumber(text);
    norvik::ParseGermanDate(text);

    const auto compiled = norvik::CompiledFormat::Parse(format);
    const auto i = Bytes<int64_t>(text);
    const auto d = Bytes<double>(text);
    const auto small = Bytes<int32_t>(text);
    const norvik::Value values[] = {
        norvik::Null{},
        i,
        std::numeric_limits<int64_t>::min(),
        d,
        static_cast<double>(small) / 1000.0,
        norvik::Decimal{std::string(text)},
        std::string(text),
        norvik::DateTime{1000 + std::abs(small % 9000), 1 + std::abs(small % 12),
                         1 + std::abs(small % 28), std::abs(small % 24), std::abs(small % 60),
                         std::abs(small % 61)},
        norvik::DateTime{small, small, small, small, small, small},
        small % 2 == 0,
    };
    std::string out;
    for (const auto& v : values) {
        out.clear();
        compiled.Apply(v, out);
        if (out != norvik::Format(v, format)) std::abort();
    }
    return 0;
}
