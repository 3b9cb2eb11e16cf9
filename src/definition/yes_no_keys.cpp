#include "definition/yes_no_keys.h"

#include <algorithm>
#include <array>

namespace norvik {
namespace {

using D = TQExportDef;
using Values = std::span<const std::string_view>;

constexpr std::string_view kYes[] = {"J"};
constexpr std::string_view kAppendYes[] = {"J", "j"};
constexpr std::string_view kNo[] = {"N", "0", ""};
constexpr std::string_view kAppendNo[] = {"N", "n", "0", ""};
constexpr std::string_view kAllowYes[] = {"Y", "J", "1", ""};
constexpr std::string_view kAllowNo[] = {"N", "n", "0"};

const std::array<YesNoKey, 6> kKeys = {{
    {"anfuegen", &D::Anfügen, Values(kAppendYes), Values(kAppendNo), false, "J noch N"},
    {"kopfzeile", &D::Kopfzeile, Values(kYes), Values(kNo), false, "J noch N"},
    {"anfuegenaenderbar", &D::AnfuegenAenderbar, Values(kYes), Values(kNo), false, "J noch N"},
    {"allowemptyselection", &D::AllowEmptySelection, Values(kAllowYes), Values(kAllowNo), true,
     "Y noch N"},
    {"allevorlaufsaetze", &D::AlleVorlaufsaetze, Values(kYes), Values(kNo), false, "J noch N"},
    {"texterkennerdoppeln", &D::TexterkennerDoppeln, Values(kYes), Values(kNo), false, "J noch N"},
}};

bool Holds(Values values, std::string_view value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

std::span<const YesNoKey> YesNoKeys() {
    return kKeys;
}

bool ReadsAsYes(const YesNoKey& key, std::string_view value) {
    if (Holds(key.yes, value)) return true;
    if (Holds(key.no, value)) return false;
    return key.otherIsYes;
}

bool IsUnclearYesNo(const YesNoKey& key, std::string_view value) {
    return !Holds(key.yes, value) && !Holds(key.no, value);
}

DefinitionFlags FlagsOf(const TQExportDef& def) {
    const auto flag = [&](size_t i) { return ReadsAsYes(kKeys[i], def.*kKeys[i].member); };
    return {flag(0), flag(1), flag(2), flag(3), flag(4), flag(5)};
}

}  // namespace norvik
