#include "engine/field_formatter.h"

#include <fmt/format.h>

#include <cmath>
#include <cstring>

#include "common/ascii.h"
#include "common/text_codec.h"
#include "common/text_helpers.h"
#include "common/vb_convert.h"
#include "definition/yes_no_keys.h"
#include "engine/field_text.h"

namespace norvik {
namespace {

// memchr scans many bytes at a time; this runs for most fields of every row.
bool HasLineBreak(const std::string& text) {
    return std::memchr(text.data(), '\n', text.size()) ||
           std::memchr(text.data(), '\r', text.size());
}

// Whether a date's text is a time alone, "13:45:00", as the zero date's is written.
bool IsTimeAlone(std::string_view text) {
    return text.size() == 8 && text[2] == ':' && text[5] == ':' && IsAsciiDigit(text[0]) &&
           IsAsciiDigit(text[1]) && IsAsciiDigit(text[3]) && IsAsciiDigit(text[4]) &&
           IsAsciiDigit(text[6]) && IsAsciiDigit(text[7]);
}

// Whether text holds one of the three bytes; blank tells whether it is blanks only. Eight bytes a
// step: most texts are short, and a call to memchr per byte sought would cost more. The last step
// reads the eight bytes at the end again; a text shorter than that is read padded with blanks,
// which are never sought.
bool HoldsAny(std::string_view text, const char (&bytes)[3], bool& blank) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHigh = 0x8080808080808080ULL;
    constexpr uint64_t kBlanks = kOnes * ' ';
    const auto hasZeroByte = [](uint64_t v) { return ((v - kOnes) & ~v & kHigh) != 0; };
    const uint64_t a = kOnes * static_cast<unsigned char>(bytes[0]);
    const uint64_t b = kOnes * static_cast<unsigned char>(bytes[1]);
    const uint64_t c = kOnes * static_cast<unsigned char>(bytes[2]);
    uint64_t differs = 0;  // bits of the words that are not blanks
    const auto holds = [&](uint64_t word) {
        differs |= word ^ kBlanks;
        return hasZeroByte(word ^ a) || hasZeroByte(word ^ b) || hasZeroByte(word ^ c);
    };
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (holds(word)) return true;
    }
    if (i < text.size()) {
        uint64_t word = kBlanks;
        if (text.size() >= 8) {
            // The eight bytes at the end: those before i were looked at already.
            std::memcpy(&word, text.data() + text.size() - 8, 8);
        } else {
            std::memcpy(&word, text.data() + i, text.size() - i);
        }
        if (holds(word)) return true;
    }
    blank = differs == 0;
    return false;
}

// The decimals of a normalised number's text ("1234,5600" has 2), trailing zeros left out.
int32_t SignificantDecimals(std::string_view text) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos) return 0;
    size_t end = text.size();
    while (end > comma + 1 && text[end - 1] == '0') --end;
    return static_cast<int32_t>(end - comma - 1);
}

// Every occurrence of the qualifier written twice, in one pass.
void DoubleEach(std::string& text, const std::string& qualifier) {
    if (qualifier.empty() || text.find(qualifier) == std::string::npos) return;
    std::string out;
    out.reserve(text.size() + 8);
    size_t from = 0;
    for (size_t at; (at = text.find(qualifier, from)) != std::string::npos;
         from = at + qualifier.size())
        out.append(text, from, at + qualifier.size() - from).append(qualifier);
    out.append(text, from);
    text.swap(out);
}

}  // namespace

void FieldFormatter::Prepare(const TQExportDef& def) {
    def_ = &def;
    dosReplaced_ = 0;
    decimalPoint_ = def.Dezimaltrenner == ".";
    // With ":" as time separator a time stays as it is, unless an "@" could come in through the
    // date separator and be turned into ":" by the last replacement.
    timeUnchanged_ = def.Zeittrenner == ":" && def.Datumstrenner.find('@') == std::string::npos;
    ascii_ = def.Dateiformat == "ASCII";
    length_ = def.FeldLänge == "Fix" ? Length::Fix
                                     : (def.FeldLänge == "Max" ? Length::Max : Length::Variable);
    textSearch_ = !TrimBlanks(def.Texterkenner).empty()  ? &def.Texterkenner
                  : !TrimBlanks(def.Feldtrenner).empty() ? &def.Feldtrenner
                                                         : nullptr;
    textStops_[2] = textSearch_ && textSearch_->size() == 1 ? (*textSearch_)[0] : '\r';
    // Doubling keeps the text whole, as CSV readers expect; a separator has no such convention.
    doubleQualifier_ = textSearch_ == &def.Texterkenner && FlagsOf(def).doubleQuotes;
}

FieldFormatter::FieldPlan FieldFormatter::Plan(const TQField& field) {
    FieldPlan plan;
    if (field.FeldArt == "Const")
        plan.source = FieldPlan::Source::Constant;
    else if (field.FeldArt == "Field")
        plan.source = FieldPlan::Source::Column;
    else if (field.FeldArt == "Param")
        plan.source = FieldPlan::Source::Parameter;
    else if (const auto runValue =
                 field.FeldArt == "Laufwert" ? RunValueNamed(field.Name) : std::nullopt) {
        plan.source = FieldPlan::Source::RunValue;
        plan.runValue = *runValue;
    }
    const std::string& typ = field.FeldTyp;
    if (typ == "N")
        plan.type = FieldPlan::Type::Number;
    else if (typ == "D")
        plan.type = FieldPlan::Type::Date;
    else if (typ == "T")
        plan.type = FieldPlan::Type::Text;
    else if (typ == "V")
        plan.type = FieldPlan::Type::VarText;
    if (!TrimBlanks(field.Format).empty()) {
        auto it = formats_.find(field.Format);
        if (it == formats_.end())
            it = formats_.emplace(field.Format, CompiledFormat::Parse(field.Format)).first;
        plan.format = &it->second;
        // Percent, exponent and literal texts change the digits on purpose.
        plan.checkRounding = plan.type == FieldPlan::Type::Number && length_ != Length::Variable &&
                             field.Format.find_first_of("%Ee\\\"") == std::string::npos;
    }
    // Without a format, a length or DOS letters, most values are written as their text is: a whole
    // number as its digits, a text unless it holds a line break or the replaced character, a date
    // unless its separators change.
    const std::string& dateSeparator = def_->Datumstrenner;
    if (plan.source == FieldPlan::Source::Column && !plan.format && length_ == Length::Variable &&
        !ascii_) {
        if (plan.type == FieldPlan::Type::Number)
            plan.direct = FieldPlan::Direct::Number;
        else if ((plan.type == FieldPlan::Type::Text || plan.type == FieldPlan::Type::VarText) &&
                 (!textSearch_ || (textSearch_->size() == 1 &&
                                   static_cast<unsigned char>((*textSearch_)[0]) < 0x80)))
            plan.direct = FieldPlan::Direct::Text;
        else if (plan.type == FieldPlan::Type::Date && timeUnchanged_ &&
                 dateSeparator.size() == 1 && dateSeparator[0] != '\r' && dateSeparator[0] != '\n')
            plan.direct = FieldPlan::Direct::Date;
    }
    return plan;
}

bool FieldFormatter::AppendDirect(const FieldPlan& plan, const Value& value, EncodedBuffer& line,
                                  WrittenField& form) const {
    using Direct = FieldPlan::Direct;
    form = {};
    switch (plan.direct) {
        case Direct::None:
            return false;
        case Direct::Number: {
            if (const int64_t* number = std::get_if<int64_t>(&value)) {
                const fmt::format_int digits(*number);
                line.AppendBytes({digits.data(), digits.size()});
                return true;
            }
            if (const double* number = std::get_if<double>(&value))
                return AppendPlainDouble(*number, line, form);
            // No value is the number 0, or nothing where an empty key names no row.
            if (IsNull(value)) {
                if (!plan.emptyStaysEmpty) line.Push('0');
                return true;
            }
            const Decimal* decimal = std::get_if<Decimal>(&value);
            return decimal && AppendPlainDecimal(decimal->text, line, form);
        }
        case Direct::Text: {
            static const std::string kEmpty;
            const std::string* text = IsNull(value) ? &kEmpty : std::get_if<std::string>(&value);
            if (!text) return false;
            bool blank = true;
            if (HoldsAny(*text, textStops_, blank)) return false;
            // A V field of blanks only goes without its qualifier.
            const std::string* qualifier =
                Qualifier(blank && plan.type == FieldPlan::Type::VarText ? FieldPlan::Type::Other
                                                                         : FieldPlan::Type::Text);
            if (qualifier) line.AppendText(*qualifier);
            line.AppendText(*text);
            if (qualifier) line.AppendText(*qualifier);
            return true;
        }
        case Direct::Date: {
            if (IsNull(value)) {
                if (const std::string* qualifier = Qualifier(FieldPlan::Type::Date)) {
                    line.AppendText(*qualifier);
                    line.AppendText(*qualifier);
                }
                return true;
            }
            const DateTime* date = std::get_if<DateTime>(&value);
            // A time alone gets its date in a column that carries the time on every value.
            if (!date || (plan.timeAlways && date->IsZeroDate())) return false;
            const std::string* qualifier = Qualifier(FieldPlan::Type::Date);
            if (qualifier) line.AppendText(*qualifier);
            char* text = line.Room(kDateTimeTextMax + 9);
            size_t length = WriteDateTimeText(*date, text);
            // The zero date's text is the time alone, any other's has it past midnight.
            form.withTime = date->IsZeroDate() || !date->IsMidnight();
            if (plan.timeAlways && !form.withTime) {
                std::memcpy(text + length, " 00:00:00", 9);
                length += 9;
                form.withTime = true;
            }
            form.dateOnly = !form.withTime;
            form.timeOnly = date->IsZeroDate();
            const char separator = def_->Datumstrenner[0];
            if (separator != '.')
                for (size_t i = 0; i < length; ++i)
                    if (text[i] == '.') text[i] = separator;
            if (static_cast<unsigned char>(separator) < 0x80) {
                line.Advance(length);
            } else {
                // Not a character of its own: written as the whole text would write it.
                const std::string copy(text, length);
                line.AppendText(copy);
            }
            if (qualifier) line.AppendText(*qualifier);
            return true;
        }
    }
    return false;
}

bool FieldFormatter::AppendPlainDecimal(std::string_view text, EncodedBuffer& line,
                                        WrittenField& form) const {
    // Only a single separator that is no digit keeps the written decimals countable.
    const std::string& separator = def_->Dezimaltrenner;
    // A byte beyond ASCII alone is no character: Finish writes it as the code page does.
    if (separator.size() != 1 || IsAsciiDigit(separator[0]) ||
        static_cast<unsigned char>(separator[0]) >= 0x80)
        return false;
    size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative) ++i;
    size_t intStart = i;
    while (i < text.size() && IsAsciiDigit(text[i])) ++i;
    const size_t intEnd = i;
    size_t fracStart = i, fracEnd = i;
    if (i < text.size() && text[i] == '.') {
        fracStart = ++i;
        while (i < text.size() && IsAsciiDigit(text[i])) ++i;
        fracEnd = i;
    }
    if (i != text.size() || (intEnd == intStart && fracEnd == fracStart)) return false;
    // The number's own text, every digit: no leading or trailing zeros, no "-0".
    while (intStart < intEnd && text[intStart] == '0') ++intStart;
    while (fracEnd > fracStart && text[fracEnd - 1] == '0') --fracEnd;
    if (intEnd == intStart && fracEnd == fracStart) {
        line.Push('0');
        return true;
    }
    // Written in place: at most a sign, a zero, the digits and the separator.
    char* const start = line.Room(text.size() + 3);
    char* p = start;
    if (negative) *p++ = '-';
    if (intEnd == intStart) {
        *p++ = '0';
    } else {
        std::memcpy(p, text.data() + intStart, intEnd - intStart);
        p += intEnd - intStart;
    }
    if (fracEnd > fracStart) {
        *p++ = separator[0];
        std::memcpy(p, text.data() + fracStart, fracEnd - fracStart);
        p += fracEnd - fracStart;
        form.decimals = static_cast<int32_t>(fracEnd - fracStart);
    }
    line.Advance(static_cast<size_t>(p - start));
    return true;
}

bool FieldFormatter::AppendPlainDouble(double value, EncodedBuffer& line,
                                       WrittenField& form) const {
    // Finish would write "0" for them, through a text that reads as no number.
    if (!std::isfinite(value)) return false;
    char hundredths[kHundredthsTextMax];
    if (const size_t length = WriteHundredths(value, '.', hundredths); length > 0)
        return AppendPlainDecimal({hundredths, length}, line, form);
    std::string text;
    norvik::AppendPlainDouble(text, value);
    for (char& c : text)
        if (c == ',') c = '.';
    return AppendPlainDecimal(text, line, form);
}

void FieldFormatter::ApplyFormat(const CompiledFormat& format) {
    scratch_.clear();
    format.Apply(Value(text_), scratch_);
    text_.swap(scratch_);
}

void FieldFormatter::ApplyLength(bool isNumber, int32_t length) {
    // A negative length fails the cut, which then leaves the text as it is.
    if (length < 0 || length_ == Length::Variable) return;
    const size_t n = static_cast<size_t>(length);
    // ASCII text is one byte a character; only other text needs counting.
    const size_t chars = CharCount(text_);
    if (chars > n) {
        // The caller decides what a cut means: a number cut into another number is refused. A
        // length of 0 asks for nothing to be written, which is no cut.
        cut_ = n > 0;
        if (cut_) uncut_ = text_;
        text_ = std::string(isNumber ? RightChars(text_, n) : LeftChars(text_, n));
        return;
    }
    if (length_ == Length::Max || chars == n) return;
    if (isNumber) {
        text_.insert(0, n - chars, ' ');
    } else {
        text_.append(n - chars, ' ');
    }
}

int32_t FieldFormatter::TrailingDecimals() const {
    const std::string& symbol = def_->Dezimaltrenner;
    size_t end = text_.size();
    while (end > 0 && IsAsciiDigit(text_[end - 1])) --end;
    const size_t digits = text_.size() - end;
    if (digits == 0 || symbol.empty() || end < symbol.size() ||
        text_.compare(end - symbol.size(), symbol.size(), symbol) != 0)
        return 0;
    return static_cast<int32_t>(digits);
}

const std::string* FieldFormatter::Qualifier(FieldPlan::Type type) const {
    const std::string* qualifier = nullptr;
    if (type == FieldPlan::Type::Text)
        qualifier = &def_->Texterkenner;
    else if (type == FieldPlan::Type::VarText && !TrimBlanks(text_).empty())
        qualifier = &def_->Texterkenner;
    else if (type == FieldPlan::Type::Date)
        qualifier = &def_->Datumserkenner;
    return qualifier && !qualifier->empty() ? qualifier : nullptr;
}

void FieldFormatter::Finish(const FieldPlan& plan, const TQField& field, std::string& line) {
    using Type = FieldPlan::Type;
    const TQExportDef& def = *def_;
    lastForm_ = {};
    cut_ = false;
    rounded_ = false;
    joined_ = false;
    if (plan.source == FieldPlan::Source::Constant)
        text_ = field.Name;
    else if (plan.source == FieldPlan::Source::Nothing)
        text_.clear();
    if (plan.emptyStaysEmpty && text_.empty()) {
        ApplyLength(true, field.Länge);
        line += text_;
        return;
    }

    int32_t decimalsBefore = 0;
    if (plan.type == Type::Number) {
        scratch_.clear();
        AppendNormalizedNumber(text_, scratch_);
        text_.swap(scratch_);
        // What a fixed layout's reader refuses is named, so the decimals a format drops are seen.
        if (plan.checkRounding) {
            decimalsBefore = SignificantDecimals(text_);
            unrounded_ = text_;
        }
    }
    if (plan.format) ApplyFormat(*plan.format);
    switch (plan.type) {
        case Type::Number:
            if (decimalPoint_) ReplaceInPlace(text_, ".", "@");
            ReplaceInPlace(text_, ",", def.Dezimaltrenner);
            if (decimalPoint_) ReplaceInPlace(text_, "@", ",");
            break;
        case Type::Date: {
            lastForm_.withTime = text_.find(':') != std::string::npos;
            lastForm_.dateOnly = !lastForm_.withTime && !TrimBlanks(text_).empty();
            lastForm_.timeOnly = IsTimeAlone(text_);
            // The usual ":" leaves a time as it is, unless the text holds an "@" already.
            const bool keepTime = timeUnchanged_ && text_.find('@') == std::string::npos;
            if (!keepTime) ReplaceInPlace(text_, ":", "@");
            ReplaceInPlace(text_, ".", def.Datumstrenner);
            if (!keepTime) ReplaceInPlace(text_, "@", def.Zeittrenner);
            break;
        }
        case Type::Text:
        case Type::VarText:
            // A doubled qualifier is one character of the value: it is doubled after the cut, which
            // could otherwise split the pair.
            if (textSearch_ && !doubleQualifier_)
                ReplaceInPlace(text_, *textSearch_, def.Ersatzzeichen);
            break;
        case Type::Other:
            break;
    }
    // Only what the field's length keeps is written, and only that is counted.
    if (ascii_)
        dosReplaced_ += ToDosLetters(
            text_, plan.type != Type::Number && length_ != Length::Variable && field.Länge >= 0
                       ? static_cast<size_t>(field.Länge)
                       : SIZE_MAX);
    // A line break that no qualifier encloses, or in a fixed-length field, would split the row's
    // line; a data medium's reader splits its records at every line break.
    // A plain number holds only digits, signs and commas, so only other texts are looked at.
    if ((plan.type != Type::Number || plan.format) && HasLineBreak(text_) &&
        (length_ == Length::Fix || !Qualifier(plan.type) || plan.oneLine)) {
        for (char& c : text_)
            if (c == '\r' || c == '\n') c = ' ';
        // A medium's reader sees other text than the database holds; an export's own lines
        // keep their layout as defined.
        joined_ = plan.oneLine;
    }
    ApplyLength(plan.type == Type::Number, field.Länge);
    if (doubleQualifier_ && (plan.type == Type::Text || plan.type == Type::VarText))
        DoubleEach(text_, *textSearch_);
    if (plan.type == Type::Number) {
        lastForm_.decimals = TrailingDecimals();
        rounded_ = decimalsBefore > lastForm_.decimals;
    }

    const std::string* qualifier = Qualifier(plan.type);
    if (qualifier) line += *qualifier;
    line += text_;
    if (qualifier) line += *qualifier;
}

void FieldFormatter::Append(const TQField& field, const TQExportDef& def, std::string_view raw,
                            std::string& line) {
    Prepare(def);
    const FieldPlan plan = Plan(field);
    Raw().assign(raw);
    Finish(plan, field, line);
}

}  // namespace norvik
