#include "engine/field_text.h"

#include <charconv>
#include <cstdlib>

#include "common/text_helpers.h"
#include "common/vb_convert.h"

namespace norvik {

double NormalizeNumber(std::string_view text) {
    // Digits, "-" and "," (as ".") are kept, everything else dropped; short texts need no
    // allocation.
    char small[64];
    std::string large;
    char* buf = small;
    if (text.size() > sizeof small) {
        large.resize(text.size());
        buf = large.data();
    }
    size_t n = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            buf[n++] = c;
        else if (c == ',')
            buf[n++] = '.';
        else if (c == '-')
            buf[n++] = '-';
    }
    // Invariant form: an optional leading minus, digits, one decimal point.
    size_t end = 0;
    if (end < n && buf[end] == '-') ++end;
    const size_t digitsStart = end;
    while (end < n && buf[end] >= '0' && buf[end] <= '9') ++end;
    if (end < n && buf[end] == '.') {
        ++end;
        while (end < n && buf[end] >= '0' && buf[end] <= '9') ++end;
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

// The German text of a plain "-digits,digits" number of up to 15 significant digits, written the
// way the double's text would be (no leading or trailing zeros, no "-0"). False for any other
// shape, and for values below 1E-4 that the double's text writes with an exponent.
bool AppendPlainNumber(std::string_view text, std::string& out) {
    char buf[64];
    size_t n = 0;
    for (char c : text) {
        if ((c >= '0' && c <= '9') || c == ',' || c == '-') {
            if (n == sizeof buf) return false;
            buf[n++] = c;
        }
    }
    size_t i = 0;
    const bool negative = n > 0 && buf[0] == '-';
    if (negative) ++i;
    size_t intStart = i;
    while (i < n && buf[i] >= '0' && buf[i] <= '9') ++i;
    size_t intEnd = i;
    size_t fracStart = i, fracEnd = i;
    if (i < n && buf[i] == ',') {
        fracStart = ++i;
        while (i < n && buf[i] >= '0' && buf[i] <= '9') ++i;
        fracEnd = i;
    }
    if (i != n || (intEnd == intStart && fracEnd == fracStart)) return false;
    while (intStart < intEnd && buf[intStart] == '0') ++intStart;
    while (fracEnd > fracStart && buf[fracEnd - 1] == '0') --fracEnd;
    const size_t intDigits = intEnd - intStart;
    size_t significant = intDigits + (fracEnd - fracStart);
    if (intDigits == 0) {
        size_t zeros = 0;
        while (fracStart + zeros < fracEnd && buf[fracStart + zeros] == '0') ++zeros;
        if (fracStart + zeros == fracEnd) {
            out.push_back('0');
            return true;
        }
        if (zeros >= 4) return false;
        significant -= zeros;
    }
    if (significant > 15) return false;
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
    AppendText(out, Value(NormalizeNumber(text)));
}

double NormalizeNumber(const Value& value) {
    if (IsNull(value)) return 0;
    if (const auto* s = std::get_if<std::string>(&value))
        return NormalizeNumber(std::string_view(*s));
    return NormalizeNumber(std::string_view(ToText(value)));
}

void ToDosLetters(std::string& text) {
    // ä ö ü Ä Ö Ü ß are two bytes each (C3 xx); their DOS stand-ins may be longer.
    if (text.find('\xC3') == std::string::npos) return;
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\xC3' && i + 1 < text.size()) {
            const char* dos = nullptr;
            switch (static_cast<unsigned char>(text[i + 1])) {
                case 0xA4:
                    dos = "\xE2\x80\x9E";
                    break;  // ä -> „ (0x84)
                case 0xB6:
                    dos = "\xE2\x80\x9D";
                    break;  // ö -> ” (0x94)
                case 0xBC:
                    dos = "\xC2\x81";
                    break;  // ü -> U+0081 (0x81)
                case 0x84:
                    dos = "\xC5\xBD";
                    break;  // Ä -> Ž (0x8E)
                case 0x96:
                    dos = "\xE2\x84\xA2";
                    break;  // Ö -> ™ (0x99)
                case 0x9C:
                    dos = "\xC5\xA1";
                    break;  // Ü -> š (0x9A)
                case 0x9F:
                    dos = "\xC3\xA1";
                    break;  // ß -> á (0xE1)
            }
            if (dos) {
                out += dos;
                ++i;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    text.swap(out);
}

void ReplaceInPlace(std::string& text, std::string_view search, std::string_view replacement) {
    if (search.empty() || replacement.find(search) != std::string_view::npos) return;
    if (text.find(search) == std::string::npos) return;
    if (search.size() == 1) {
        // One byte that the replacement lacks: a single pass leaves no occurrence behind.
        const char s = search[0];
        if (replacement.size() == 1) {
            for (char& c : text)
                if (c == s) c = replacement[0];
            return;
        }
        std::string out;
        out.reserve(text.size() + replacement.size() * 4);
        for (char c : text) {
            if (c == s)
                out.append(replacement);
            else
                out.push_back(c);
        }
        text.swap(out);
        return;
    }
    text = ReplaceText(std::move(text), search, replacement);
}

}  // namespace norvik
