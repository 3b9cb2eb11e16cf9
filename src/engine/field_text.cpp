#include "engine/field_text.h"

#include <charconv>
#include <cstdlib>

#include "common/ascii.h"
#include "common/utf8.h"
#include "common/vb_convert.h"

namespace norvik {

namespace {

// The digits, "-" and "," (as `comma`) of a text, everything else dropped; short texts need no
// allocation.
class NumberChars {
  public:
    NumberChars(std::string_view text, char comma) {
        if (text.size() > sizeof small_) {
            large_.resize(text.size());
            data_ = large_.data();
        }
        for (char c : text)
            if (IsAsciiDigit(c) || c == '-')
                data_[size_++] = c;
            else if (c == ',')
                data_[size_++] = comma;
    }
    NumberChars(const NumberChars&) = delete;
    NumberChars& operator=(const NumberChars&) = delete;

    const char* data() const { return data_; }
    size_t size() const { return size_; }

  private:
    char small_[64];
    std::string large_;
    char* data_ = small_;
    size_t size_ = 0;
};

}  // namespace

double NormalizeNumber(std::string_view text) {
    const NumberChars chars(text, '.');
    const char* const buf = chars.data();
    const size_t n = chars.size();
    // Invariant form: an optional leading minus, digits, one decimal point.
    size_t end = 0;
    if (end < n && buf[end] == '-') ++end;
    const size_t digitsStart = end;
    while (end < n && IsAsciiDigit(buf[end])) ++end;
    if (end < n && buf[end] == '.') {
        ++end;
        while (end < n && IsAsciiDigit(buf[end])) ++end;
    }
    if (end == digitsStart || (end == digitsStart + 1 && buf[digitsStart] == '.')) return 0;
    double value = 0;
    const char* first = buf;
    if (buf[0] == '-') ++first;
    auto res = std::from_chars(first, buf + end, value);
    if (res.ec != std::errc()) return 0;
    return buf[0] == '-' ? -value : value;
}

namespace {

// The German text of a plain "-digits,digits" number, written the way the double's text would be
// (no leading or trailing zeros, no "-0") but with every digit and without an exponent: an
// account number of 19 digits stays that number. False for any other shape.
bool AppendPlainNumber(std::string_view text, std::string& out) {
    const NumberChars chars(text, ',');
    const char* const buf = chars.data();
    const size_t n = chars.size();
    size_t i = 0;
    const bool negative = n > 0 && buf[0] == '-';
    if (negative) ++i;
    size_t intStart = i;
    while (i < n && IsAsciiDigit(buf[i])) ++i;
    size_t intEnd = i;
    size_t fracStart = i, fracEnd = i;
    if (i < n && buf[i] == ',') {
        fracStart = ++i;
        while (i < n && IsAsciiDigit(buf[i])) ++i;
        fracEnd = i;
    }
    if (i != n || (intEnd == intStart && fracEnd == fracStart)) return false;
    while (intStart < intEnd && buf[intStart] == '0') ++intStart;
    while (fracEnd > fracStart && buf[fracEnd - 1] == '0') --fracEnd;
    const size_t intDigits = intEnd - intStart;
    if (intDigits == 0 && fracEnd == fracStart) {
        out.push_back('0');
        return true;
    }
    if (negative) out.push_back('-');
    if (intDigits == 0)
        out.push_back('0');
    else
        out.append(buf + intStart, intDigits);
    if (fracEnd > fracStart) {
        out.push_back(',');
        out.append(buf + fracStart, fracEnd - fracStart);
    }
    return true;
}

}  // namespace

void AppendNormalizedNumber(std::string_view text, std::string& out) {
    if (AppendPlainNumber(text, out)) return;
    AppendPlainDouble(out, NormalizeNumber(text));
}

double NormalizeNumber(const Value& value) {
    if (IsNull(value)) return 0;
    if (const auto* s = std::get_if<std::string>(&value))
        return NormalizeNumber(std::string_view(*s));
    return NormalizeNumber(std::string_view(ToText(value)));
}

size_t ToDosLetters(std::string& text, size_t counted) {
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    if (i == text.size()) return 0;
    std::string out(text, 0, i);
    out.reserve(text.size() + 8);
    size_t replaced = 0;
    size_t character = i;  // the ASCII start is a byte a character
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(text[i++]);
            ++character;
            continue;
        }
        const size_t length = CharLengthAt(text, i);
        const char* dos = nullptr;
        if (c == 0xC3 && length == 2) {
            switch (static_cast<unsigned char>(text[i + 1])) {
                case 0xA4:
                    dos = "\xE2\x80\x9E";  // ä -> „ (0x84)
                    break;
                case 0xB6:
                    dos = "\xE2\x80\x9D";  // ö -> ” (0x94)
                    break;
                case 0xBC:
                    dos = "\xC2\x81";  // ü -> U+0081 (0x81)
                    break;
                case 0x84:
                    dos = "\xC5\xBD";  // Ä -> Ž (0x8E)
                    break;
                case 0x96:
                    dos = "\xE2\x84\xA2";  // Ö -> ™ (0x99)
                    break;
                case 0x9C:
                    dos = "\xC5\xA1";  // Ü -> š (0x9A)
                    break;
                case 0x9F:
                    dos = "\xC3\xA1";  // ß -> á (0xE1)
                    break;
            }
        }
        if (dos) {
            out += dos;
        } else {
            out.push_back('?');
            if (character < counted) ++replaced;
        }
        i += length;
        ++character;
    }
    text.swap(out);
    return replaced;
}

}  // namespace norvik
