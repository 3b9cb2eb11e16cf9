#include "definition/run_values.h"

#include <array>
#include <utility>

#include "common/ascii.h"

namespace norvik {
namespace {

constexpr std::array<std::pair<std::string_view, RunValue>, 7> kNames = {{
    {"Startzeit", RunValue::kStartzeit},
    {"Zeitstempel", RunValue::kZeitstempel},
    {"DatumVon", RunValue::kDatumVon},
    {"DatumBis", RunValue::kDatumBis},
    {"WJBeginn", RunValue::kWJBeginn},
    {"Heute", RunValue::kHeute},
    {"Benutzer", RunValue::kBenutzer},
}};

}  // namespace

std::optional<RunValue> RunValueNamed(std::string_view name) {
    for (const auto& [known, value] : kNames)
        if (AsciiEqualsIgnoreCase(name, known)) return value;
    return std::nullopt;
}

std::string RunValueNames() {
    std::string names;
    for (const auto& [known, value] : kNames)
        names += (names.empty() ? "" : ", ") + std::string(known);
    return names;
}

}  // namespace norvik
