#include "gdpdu/value_forms.h"

#include <algorithm>

#include "common/text_codec.h"
#include "common/text_helpers.h"

namespace norvik {
namespace {

using vbfmt::Kind;
using vbfmt::Op;

constexpr const char* kStandardDate = "DD.MM.YYYY";
constexpr const char* kStandardTime = "hh:mm:ss";

// A date section in placeholders; nullopt for codes the index has none for (d, mmmm, AM/PM …).
std::optional<std::string> DatePlaceholders(const vbfmt::Section& section, bool withTime) {
    std::string out;
    for (const vbfmt::Item& item : section.items) {
        switch (item.op) {
            case Op::kLiteral:
                out.append(section.pool, item.offset, item.length);
                break;
            case Op::kDay2:
                out += "DD";
                break;
            case Op::kMonth2:
                out += "MM";
                break;
            case Op::kYear4:
                out += "YYYY";
                break;
            case Op::kYear2:
                out += "YY";
                break;
            case Op::kHour2:
                out += "hh";
                break;
            case Op::kMinute2:
                out += "mm";
                break;
            case Op::kSecond2:
                out += "ss";
                break;
            case Op::kShortDate:
                out += kStandardDate;
                break;
            case Op::kLongTime:
                out += kStandardTime;
                break;
            case Op::kGeneralDate:
                out += kStandardDate;
                if (withTime) out += std::string(" ") + kStandardTime;
                break;
            case Op::kDateSep:
                out += '.';
                break;
            case Op::kTimeSep:
                out += ':';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

// The separators of the definition put in as the run puts them into every date.
void ApplySeparators(std::string& form, const TQExportDef& def) {
    const bool keepTime = def.Zeittrenner == ":" &&
                          def.Datumstrenner.find('@') == std::string::npos &&
                          form.find('@') == std::string::npos;
    if (!keepTime) ReplaceInPlace(form, ":", "@");
    ReplaceInPlace(form, ".", def.Datumstrenner);
    if (!keepTime) ReplaceInPlace(form, "@", def.Zeittrenner);
}

}  // namespace

std::optional<int32_t> FixedDecimals(const CompiledFormat& format) {
    if (format.NamedFormat() == vbfmt::Named::kGeneralNumber ||
        vbfmt::IsBooleanFormat(format.NamedFormat()))
        return std::nullopt;
    const auto& sections = format.Sections();
    std::optional<int32_t> decimals;
    for (size_t i = 0; i < std::min<size_t>(sections.size(), 3); ++i) {
        const vbfmt::Section& section = sections[i];
        // An empty negative or zero section leaves those numbers to the first.
        if (i > 0 && section.kind == Kind::kEmpty) continue;
        const vbfmt::NumberLayout& number = section.number;
        if (section.kind != Kind::kNumber || number.exponent ||
            number.fracDigits != number.fracMinDigits ||
            (decimals && *decimals != number.fracMinDigits))
            return std::nullopt;
        decimals = number.fracMinDigits;
    }
    return decimals;
}

int32_t NumberAccuracy(const TQField& field, const WrittenField& written) {
    int32_t fixed = 0;
    if (!TrimBlanks(field.Format).empty())
        fixed = FixedDecimals(CompiledFormat::Parse(field.Format)).value_or(0);
    return std::max(fixed, written.decimals);
}

std::string DateFormatOf(const TQField& field, const TQExportDef& def, const WrittenField& written,
                         bool variableLength) {
    // A column of times alone (a mix with dates is written again with date and time).
    std::string form = written.timeOnly ? std::string(kStandardTime) : std::string(kStandardDate);
    if (written.withTime && !written.timeOnly) form += std::string(" ") + kStandardTime;
    if (!TrimBlanks(field.Format).empty()) {
        const CompiledFormat format = CompiledFormat::Parse(field.Format);
        const auto& sections = format.Sections();
        std::optional<std::string> placeholders;
        if (!sections.empty() && sections[0].kind == Kind::kDate)
            placeholders = DatePlaceholders(sections[0], written.withTime);
        if (!placeholders) return field.Format;
        form = *placeholders;
    }
    ApplySeparators(form, def);
    // An import takes the text encapsulator off every value, dates too.
    const std::string& qualifier = def.Datumserkenner;
    if (!(variableLength && qualifier == def.Texterkenner)) form = qualifier + form + qualifier;
    return form == kStandardDate ? std::string() : form;
}

}  // namespace norvik
