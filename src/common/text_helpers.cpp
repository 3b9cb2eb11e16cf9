#include "common/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/ascii.h"
#include "common/text_codec.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

// Reads [sign] digits [. digits] [E|D [sign] digits] from the start; returns the length taken.
size_t ScanNumber(std::string_view s, bool& any_digit) {
    size_t i = 0;
    any_digit = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    while (i < s.size() && IsAsciiDigit(s[i])) ++i, any_digit = true;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsAsciiDigit(s[i])) ++i, any_digit = true;
    }
    if (!any_digit) return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsAsciiDigit(s[j])) {
            while (j < s.size() && IsAsciiDigit(s[j])) ++j;
            i = j;
        }
    }
    return i;
}

double ParseScanned(std::string_view s) {
    // from_chars, unlike strtod, does not follow the C locale; it takes neither "+" nor "D".
    std::string copy;
    copy.reserve(s.size());
    for (char c : s) {
        if (c == 'D' || c == 'd')
            copy.push_back('E');
        else if (c != '+')
            copy.push_back(c);
    }
    double v = 0;
    std::from_chars(copy.data(), copy.data() + copy.size(), v);
    return v;
}

}  // namespace

std::string GetField(int32_t index, std::string_view text, std::string_view separator,
                     std::string_view quote) {
    if (text.empty()) return index == 0 ? "0" : "";
    std::string field;
    bool inside = false;
    bool quoted = false;
    int32_t number = 1;
    for (size_t i = 0; i < text.size();) {
        const size_t len = CharLengthAt(text, i);
        const std::string_view c = text.substr(i, len);
        i += len;
        if (c == quote) {
            if (!inside) {
                inside = true;
                quoted = true;
            } else {
                inside = false;
            }
        } else if (c == separator && !inside) {
            if (number == index) break;
            field.clear();
            quoted = false;
            ++number;
        } else {
            field += c;
        }
    }
    if (number < index) {
        field.clear();
        quoted = false;
    }
    if (index == 0) return std::to_string(number);
    if (quoted) return field;
    std::string dotted = ReplaceText(field, ",", ".");
    if (auto n = ParseInvariantNumber(dotted)) return DoubleToText(*n);
    return field;
}

namespace {

double ToNumberOfText(std::string_view text) {
    std::string cleaned;
    cleaned.reserve(text.size());
    for (char c : text) {
        if (c == ',')
            cleaned.push_back('.');
        else if (c != '.')
            cleaned.push_back(c);
    }
    return Val(cleaned);
}

}  // namespace

double ToNumber(const Value& value) {
    if (IsNull(value)) return 0;
    if (const auto* text = std::get_if<std::string>(&value)) return ToNumberOfText(*text);
    return ToNumberOfText(ToText(value));
}

namespace {

// Puts text in front of the unread rest of buf, which starts at read; grows buf at the front with
// room for later calls, so that putting back stays linear.
void PutBack(std::string& buf, size_t& read, std::string_view text) {
    if (read < text.size()) {
        const size_t room = (buf.size() - read) + 2 * text.size();
        std::string grown;
        grown.reserve(room + buf.size() - read);
        grown.append(room, '\0');
        grown.append(buf, read);
        buf.swap(grown);
        read = room;
    }
    read -= text.size();
    std::copy(text.begin(), text.end(), buf.begin() + static_cast<std::ptrdiff_t>(read));
}

// One byte that the replacement lacks: a single pass leaves no occurrence behind.
void ReplaceByte(std::string& text, char search, std::string_view replacement) {
    if (replacement.size() == 1) {
        for (char& c : text)
            if (c == search) c = replacement[0];
        return;
    }
    std::string out;
    out.reserve(text.size() + replacement.size() * 4);
    for (char c : text) {
        if (c == search)
            out.append(replacement);
        else
            out.push_back(c);
    }
    text.swap(out);
}

}  // namespace

void ReplaceInPlace(std::string& text, std::string_view search, std::string_view replacement) {
    if (search.empty() || replacement.find(search) != std::string_view::npos) return;
    size_t match = text.find(search);
    if (match == std::string::npos) return;
    if (search.size() == 1) return ReplaceByte(text, search[0], replacement);
    // The leftmost match is replaced, again and again. No match lies before it, so the text is
    // held as a finished front (done) and an unread rest (buf from read); each replacement goes in
    // front of the rest together with the last characters of done that a new match may begin
    // with. Replacing in place would move the whole tail each time: quadratic.
    // A replacement longer than the search text can feed itself (ab -> bbaa grows exponentially);
    // stop at a bound instead of exhausting memory.
    const size_t limit = std::max<size_t>(size_t{1} << 20, text.size() * 64);
    std::string done;
    done.reserve(text.size());
    std::string buf;
    buf.swap(text);
    size_t read = 0;
    while (match != std::string::npos && done.size() + (buf.size() - read) <= limit) {
        done.append(buf, read, match - read);
        read = match + search.size();
        PutBack(buf, read, replacement);
        const size_t keep = std::min(done.size(), search.size() - 1);
        PutBack(buf, read, std::string_view(done).substr(done.size() - keep));
        done.resize(done.size() - keep);
        match = buf.find(search, read);
    }
    done.append(buf, read);
    text.swap(done);
}

std::string ReplaceText(std::string text, std::string_view search, std::string_view replacement) {
    ReplaceInPlace(text, search, replacement);
    return text;
}

std::string BaseName(std::string_view path) {
    const size_t cut = path.find_last_of("\\/:");
    if (cut != std::string_view::npos) path = path.substr(cut + 1);
    const size_t dot = path.find('.');
    if (dot != std::string_view::npos) path = path.substr(0, dot);
    return std::string(path);
}

double Val(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') compact.push_back(c);
    bool any;
    const size_t len = ScanNumber(compact, any);
    if (len == 0) return 0;
    const double v = ParseScanned(std::string_view(compact).substr(0, len));
    return std::isfinite(v) ? v : 0;
}

std::optional<double> ParseInvariantNumber(std::string_view text) {
    text = TrimBlanks(text);
    bool any;
    const size_t len = ScanNumber(text, any);
    if (len == 0 || len != text.size()) return std::nullopt;
    const double v = ParseScanned(text);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

int32_t RoundToLong(double value) {
    const double r = std::nearbyint(value);  // the default rounding mode goes to the even neighbour
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw VbError(kErrOverflow);
    return static_cast<int32_t>(r);
}

int16_t RoundToInteger(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= -32768.0 && r <= 32767.0)) throw VbError(kErrOverflow);
    return static_cast<int16_t>(r);
}

}  // namespace norvik
