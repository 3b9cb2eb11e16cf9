#include "engine/field_formatter.h"

#include "common/text_codec.h"
#include "common/vb_convert.h"
#include "engine/field_text.h"

namespace norvik {

void FieldFormatter::ApplyFormat(const std::string& formatText) {
    auto it = formats_.find(formatText);
    if (it == formats_.end()) it = formats_.emplace(formatText, CompiledFormat::Parse(formatText)).first;
    scratch_.clear();
    it->second.Apply(Value(text_), scratch_);
    text_.swap(scratch_);
}

void FieldFormatter::Append(const TQField& field, const TQExportDef& def, std::string_view raw, std::string& line) {
    const std::string& typ = field.FeldTyp;
    const bool isNumber = typ == "N", isDate = typ == "D";
    const bool isText = typ == "T", isVarText = typ == "V";

    if (field.FeldArt == "Const") text_ = field.Name;
    else if (field.FeldArt == "Field" || field.FeldArt == "Param") text_.assign(raw);
    else text_.clear();

    if (isNumber) {
        const double number = NormalizeNumber(std::string_view(text_));
        text_.clear();
        AppendText(text_, Value(number));
    }
    if (!TrimBlanks(field.Format).empty()) {
        try {
            ApplyFormat(field.Format);
        } catch (...) {
        }
    }
    if (isNumber) {
        const std::string& sep = def.Dezimaltrenner;
        if (sep == ".") ReplaceInPlace(text_, ".", "@");
        ReplaceInPlace(text_, ",", sep);
        if (sep == ".") ReplaceInPlace(text_, "@", ",");
    }
    if (isDate) {
        ReplaceInPlace(text_, ":", "@");
        ReplaceInPlace(text_, ".", def.Datumstrenner);
        ReplaceInPlace(text_, "@", def.Zeittrenner);
    }
    if (isText || isVarText) {
        if (!TrimBlanks(def.Texterkenner).empty()) ReplaceInPlace(text_, def.Texterkenner, def.Ersatzzeichen);
        else if (!TrimBlanks(def.Feldtrenner).empty()) ReplaceInPlace(text_, def.Feldtrenner, def.Ersatzzeichen);
    }
    if (def.Dateiformat == "ASCII") ToDosLetters(text_);

    // A negative length fails the cut, which then leaves the text as it is.
    const int32_t length = field.Länge;
    if (length >= 0) {
        const size_t n = static_cast<size_t>(length);
        if (def.FeldLänge == "Max" && CharCount(text_) > n)
            text_ = std::string(isNumber ? RightChars(text_, n) : LeftChars(text_, n));
        if (def.FeldLänge == "Fix") {
            const size_t chars = CharCount(text_);
            if (isNumber)
                text_ = chars >= n ? std::string(RightChars(text_, n)) : std::string(n - chars, ' ') + text_;
            else
                text_ = chars >= n ? std::string(LeftChars(text_, n)) : text_ + std::string(n - chars, ' ');
        }
    }

    const std::string* qualifier = nullptr;
    if (isText) qualifier = &def.Texterkenner;
    else if (isVarText && !TrimBlanks(text_).empty()) qualifier = &def.Texterkenner;
    else if (isDate) qualifier = &def.Datumserkenner;
    if (qualifier) line += *qualifier;
    line += text_;
    if (qualifier) line += *qualifier;
}

}  // namespace norvik
