#include "common/vb_format.h"

#include <cmath>

#include "common/vb_convert.h"
#include "common/vb_format_date.h"
#include "common/vb_format_digits.h"
#include "common/vb_format_lex.h"
#include "common/vb_format_number.h"
#include "common/vb_format_text.h"
#include "common/vb_parse.h"

namespace norvik {
namespace {

using vbfmt::Digits;
using vbfmt::Kind;
using vbfmt::Section;

// A value as number and date formats see it: a number, a date, or text that is neither.
struct Operand {
    enum Type { kNull, kNumber, kDate, kPlain } type = kNull;
    Digits number;
    DateTime date;
    std::string plain;

    bool IsZero() const { return type == kNumber ? number.IsZero() : date.ToOleDate() == 0; }
    bool IsNegative() const { return type == kNumber ? number.negative : date.ToOleDate() < 0; }
    double Serial() const { return type == kNumber ? number.ToDouble() : date.ToOleDate(); }
};

Operand Resolve(const Value& value) {
    Operand op;
    switch (value.index()) {
        case kValueIndex<Null>:
            break;
        case kValueIndex<int64_t>:
            op.type = Operand::kNumber;
            op.number = Digits::FromInt(std::get<int64_t>(value));
            break;
        case kValueIndex<double>: {
            const double d = std::get<double>(value);
            op.type = std::isfinite(d) ? Operand::kNumber : Operand::kPlain;
            if (op.type == Operand::kNumber) op.number = Digits::FromDouble(d);
            break;
        }
        case kValueIndex<Decimal>:
            if (auto digits = Digits::FromDecimalText(std::get<Decimal>(value).text)) {
                op.type = Operand::kNumber;
                op.number = *digits;
            } else {
                op.type = Operand::kPlain;
            }
            break;
        case kValueIndex<std::string>: {
            const std::string& text = std::get<std::string>(value);
            // date forms first, so that the points of "31.12.2004" are not read as group separators
            if (auto date = ParseGermanDate(text)) {
                op.type = Operand::kDate;
                op.date = *date;
            } else if (auto number = ParseGermanNumber(text)) {
                op.type = Operand::kNumber;
                op.number = Digits::FromDouble(*number);
            } else {
                op.type = Operand::kPlain;
            }
            break;
        }
        case kValueIndex<DateTime>:
            op.type = std::get<DateTime>(value).IsValid() ? Operand::kDate : Operand::kPlain;
            op.date = std::get<DateTime>(value);
            break;
        case kValueIndex<bool>:
            op.type = Operand::kNumber;
            op.number = Digits::FromInt(std::get<bool>(value) ? -1 : 0);
            break;
    }
    if (op.type == Operand::kPlain) op.plain = ToText(value);
    return op;
}

// The text of a value where a format has no section for it.
std::string GeneralText(const Value& value, const Operand& op) {
    if (!std::holds_alternative<std::string>(value)) return ToText(value);
    switch (op.type) {
        case Operand::kNumber:
            return DoubleToText(op.number.ToDouble());
        case Operand::kDate:
            return DateTimeToText(op.date);
        default:
            return op.plain;
    }
}

void AppendLiterals(const Section& section, std::string& out) {
    for (const vbfmt::Item& item : section.items) {
        if (item.op == vbfmt::Op::kLiteral) out.append(section.pool, item.offset, item.length);
    }
}

// A null or empty value in a section: its literals, or a text section filled with nothing.
void AppendEmptyValue(const Section& section, std::string& out) {
    if (section.kind == Kind::kText) {
        vbfmt::AppendTextSection(section, {}, out);
    } else {
        AppendLiterals(section, out);
    }
}

bool AppendAsDate(const Section& section, const Operand& op, std::string& out) {
    DateTime date = op.date;
    if (op.type == Operand::kNumber) {
        const double serial = op.Serial();
        // the classic date range, 1.1.100 to 31.12.9999
        if (!(serial > -657435.0 && serial < 2958466.0)) return false;
        date = DateTime::FromOleDate(serial);
        if (!date.IsValid()) return false;
    }
    vbfmt::AppendDate(section, date, out);
    return true;
}

Section BuildSection(std::string_view text) {
    Section section;
    section.kind = vbfmt::ClassifySection(text);
    switch (section.kind) {
        case Kind::kNumber:
            vbfmt::BuildNumberSection(text, section);
            break;
        case Kind::kDate:
            vbfmt::BuildDateSection(text, section);
            break;
        case Kind::kText:
            vbfmt::BuildTextSection(text, section);
            break;
        case Kind::kLiteral: {
            vbfmt::Lexer lex(text);
            while (!lex.AtEnd()) vbfmt::AddLiteral(section, lex.Next().text);
            break;
        }
        case Kind::kEmpty:
            break;
    }
    return section;
}

}  // namespace

CompiledFormat CompiledFormat::Parse(std::string_view formatText) {
    CompiledFormat f;
    f.empty_ = formatText.empty();
    if (f.empty_) return f;
    const vbfmt::NamedFormat named = vbfmt::FindNamedFormat(formatText);
    f.named_ = named.named;
    const std::string_view codes = named.named == vbfmt::Named::kNone ? formatText : named.codes;
    for (std::string_view text : vbfmt::SplitSections(codes))
        f.sections_.push_back(BuildSection(text));
    f.kind_ = Kind::kEmpty;
    for (const Section& s : f.sections_) {
        if (s.kind == Kind::kLiteral && f.kind_ == Kind::kEmpty) f.kind_ = Kind::kLiteral;
        if (s.kind != Kind::kEmpty && s.kind != Kind::kLiteral) {
            f.kind_ = s.kind;
            break;
        }
    }
    return f;
}

std::string CompiledFormat::Apply(const Value& value) const {
    std::string out;
    Apply(value, out);
    return out;
}

void CompiledFormat::Apply(const Value& value, std::string& out) const {
    if (empty_) {
        AppendText(out, value);
    } else if (named_ == vbfmt::Named::kGeneralNumber || vbfmt::IsBooleanFormat(named_)) {
        ApplyNamed(value, out);
    } else if (kind_ == Kind::kText) {
        ApplyText(value, out);
    } else {
        ApplyNumeric(value, out);
    }
}

void CompiledFormat::ApplyNamed(const Value& value, std::string& out) const {
    const Operand op = Resolve(value);
    if (op.type == Operand::kNull) return;
    if (op.type == Operand::kPlain) {
        out += op.plain;
    } else if (named_ != vbfmt::Named::kGeneralNumber) {
        out += vbfmt::BooleanWord(named_, !op.IsZero());
    } else if (op.type == Operand::kDate) {
        out += DoubleToText(op.date.ToOleDate());
    } else if (std::holds_alternative<bool>(value)) {
        out += std::get<bool>(value) ? "-1" : "0";
    } else {
        out += GeneralText(value, op);
    }
}

void CompiledFormat::ApplyText(const Value& value, std::string& out) const {
    const bool null = IsNull(value);
    const std::string text = null ? std::string() : ToText(value);
    // the second section is for null and the empty text
    if (text.empty() && sections_.size() >= 2) {
        AppendEmptyValue(sections_[1], out);
        return;
    }
    if (null) return;
    const Section& section = sections_[0];
    if (section.kind == Kind::kText) {
        vbfmt::AppendTextSection(section, text, out);
    } else if (section.kind == Kind::kEmpty) {
        out += text;
    } else {
        AppendLiterals(section, out);
    }
}

void CompiledFormat::ApplyNumeric(const Value& value, std::string& out) const {
    const Operand op = Resolve(value);
    if (op.type == Operand::kNull) {
        if (sections_.size() >= 4) AppendEmptyValue(sections_[3], out);
        return;
    }
    if (op.type == Operand::kPlain) {
        out += op.plain;
        return;
    }
    const size_t count = sections_.size();
    size_t index = 0;
    bool sign = false;
    if (op.IsZero()) {
        if (count >= 3 && sections_[2].kind != Kind::kEmpty) index = 2;
    } else if (op.IsNegative()) {
        if (count >= 2 && sections_[1].kind != Kind::kEmpty) {
            index = 1;
        } else {
            sign = true;  // the positive section writes it, after a minus
        }
    }
    const Section& section = sections_[index];
    switch (section.kind) {
        case Kind::kEmpty:
            out += GeneralText(value, op);
            break;
        case Kind::kText:
            vbfmt::AppendTextSection(section, GeneralText(value, op), out);
            break;
        case Kind::kDate:
            // no date in range: the value as it came
            if (!AppendAsDate(section, op, out)) AppendText(out, value);
            break;
        case Kind::kLiteral:
            if (sign) out.push_back('-');
            AppendLiterals(section, out);
            break;
        case Kind::kNumber: {
            if (sign) out.push_back('-');
            Digits digits =
                op.type == Operand::kNumber ? op.number : Digits::FromDouble(op.Serial());
            digits.negative = false;
            vbfmt::AppendNumber(section, std::move(digits), out);
            break;
        }
    }
}

std::string Format(const Value& value, std::string_view formatText) {
    return CompiledFormat::Parse(formatText).Apply(value);
}

}  // namespace norvik
