#include <array>
#include <string>
#include <vector>

#include "common/ascii.h"
#include "common/cp1252_case.h"
#include "common/vb_parse.h"

namespace norvik {
namespace {

struct Tok {
    enum Kind { kNum, kWord, kSep, kSpace } kind;
    std::string_view text;
    int value = 0;
};

// Month and day names are words: ASCII letters and the bytes of UTF-8 letters ("März").
bool IsWordByte(char c) {
    return IsAsciiLetter(c) || static_cast<unsigned char>(c) >= 0x80;
}

bool Tokenize(std::string_view s, std::vector<Tok>& toks) {
    size_t i = 0;
    while (i < s.size()) {
        const size_t start = i;
        const char c = s[i];
        if (IsAsciiDigit(c)) {
            int value = 0;
            while (i < s.size() && IsAsciiDigit(s[i])) {
                if (i - start >= 9) return false;
                value = value * 10 + (s[i++] - '0');
            }
            toks.push_back({Tok::kNum, s.substr(start, i - start), value});
        } else if (IsWordByte(c)) {
            while (i < s.size() && IsWordByte(s[i])) ++i;
            toks.push_back({Tok::kWord, s.substr(start, i - start)});
        } else if (IsAsciiBlank(c)) {
            while (i < s.size() && IsAsciiBlank(s[i])) ++i;
            toks.push_back({Tok::kSpace, s.substr(start, i - start)});
        } else if (c == '.' || c == '/' || c == '-' || c == ':' || c == ',') {
            toks.push_back({Tok::kSep, s.substr(start, 1)});
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

int MonthFromName(std::string_view word) {
    static const std::array<std::string_view, 12> kFull = {
        "januar", "februar", "m\xC3\xA4rz", "april",   "mai",      "juni",
        "juli",   "august",  "september",   "oktober", "november", "dezember"};
    static const std::array<std::string_view, 12> kShort = {
        "jan", "feb", "mrz", "apr", "mai", "jun", "jul", "aug", "sep", "okt", "nov", "dez"};
    const std::string w = LowerCase(word);
    for (size_t m = 0; m < 12; ++m) {
        if (w == kFull[m] || w == kShort[m]) return static_cast<int>(m) + 1;
    }
    return w == "m\xC3\xA4r" ? 3 : 0;
}

bool IsDayName(std::string_view word) {
    static const std::array<std::string_view, 14> kNames = {
        "montag", "dienstag", "mittwoch", "donnerstag", "freitag", "samstag", "sonntag",
        "mo",     "di",       "mi",       "do",         "fr",      "sa",      "so"};
    const std::string w = LowerCase(word);
    for (auto n : kNames) {
        if (w == n) return true;
    }
    return false;
}

class DateReader {
  public:
    explicit DateReader(const std::vector<Tok>& toks) : toks_(toks) {}

    std::optional<DateTime> Read() {
        SkipSpace();
        SkipDayName();
        DateTime dt;
        const bool date = ReadNumericDate(dt) || ReadNamedDate(dt);
        // a year of three or four digits below 100 is no date of the run time
        if (date && dt.year < 100) return std::nullopt;
        if (date) {
            SkipSpace();
            if (AtEnd()) return dt.IsValid() ? std::optional<DateTime>(dt) : std::nullopt;
        }
        if (!ReadTime(dt)) return std::nullopt;
        SkipSpace();
        if (!AtEnd() || !dt.IsValid()) return std::nullopt;
        return dt;
    }

  private:
    bool AtEnd() const { return pos_ >= toks_.size(); }
    const Tok* Peek(size_t ahead = 0) const {
        return pos_ + ahead < toks_.size() ? &toks_[pos_ + ahead] : nullptr;
    }
    bool IsSep(size_t ahead, char c) const {
        const Tok* t = Peek(ahead);
        return t && t->kind == Tok::kSep && t->text[0] == c;
    }
    void SkipSpace() {
        while (!AtEnd() && toks_[pos_].kind == Tok::kSpace) ++pos_;
    }

    void SkipDayName() {
        const Tok* t = Peek();
        if (!t || t->kind != Tok::kWord || !IsDayName(t->text)) return;
        ++pos_;
        if (IsSep(0, ',')) ++pos_;
        SkipSpace();
    }

    static int WindowYear(const Tok& t) {
        if (t.text.size() <= 2) return t.value < 30 ? 2000 + t.value : 1900 + t.value;
        return t.value;
    }

    // Numeric dates: d.m.y, d/m/y, d-m-y, and y-m-d when the first number has four digits.
    bool ReadNumericDate(DateTime& dt) {
        const Tok* a = Peek();
        const Tok* s1 = Peek(1);
        if (!a || a->kind != Tok::kNum || !s1 || s1->kind != Tok::kSep) return false;
        const char sep = s1->text[0];
        if (sep != '.' && sep != '/' && sep != '-') return false;
        size_t k = 2;
        if (sep == '.' && Peek(k) && Peek(k)->kind == Tok::kSpace) ++k;
        const Tok* b = Peek(k);
        if (!b || b->kind != Tok::kNum || !IsSep(k + 1, sep)) return false;
        k += 2;
        if (sep == '.' && Peek(k) && Peek(k)->kind == Tok::kSpace) ++k;
        const Tok* c = Peek(k);
        if (!c || c->kind != Tok::kNum) return false;
        if (a->text.size() >= 3) {
            dt.year = a->value;
            dt.month = b->value;
            dt.day = c->value;
        } else {
            dt.day = a->value;
            dt.month = b->value;
            dt.year = WindowYear(*c);
        }
        pos_ += k + 1;
        return true;
    }

    // Dates with a month name: "31. Dezember 2004", "31 Dez 04", "31-Dez-2004".
    bool ReadNamedDate(DateTime& dt) {
        const Tok* a = Peek();
        if (!a || a->kind != Tok::kNum || a->text.size() > 2) return false;
        size_t k = 1;
        if (IsSep(k, '.') || IsSep(k, '-')) ++k;
        if (Peek(k) && Peek(k)->kind == Tok::kSpace) ++k;
        const Tok* m = Peek(k);
        if (!m || m->kind != Tok::kWord) return false;
        const int month = MonthFromName(m->text);
        if (month == 0) return false;
        ++k;
        if (IsSep(k, '.') || IsSep(k, '-')) ++k;
        if (Peek(k) && Peek(k)->kind == Tok::kSpace) ++k;
        const Tok* y = Peek(k);
        if (!y || y->kind != Tok::kNum) return false;
        dt.day = a->value;
        dt.month = month;
        dt.year = WindowYear(*y);
        pos_ += k + 1;
        return true;
    }

    bool ReadTime(DateTime& dt) {
        const Tok* h = Peek();
        if (!h || h->kind != Tok::kNum || h->text.size() > 2 || !IsSep(1, ':')) return false;
        const Tok* m = Peek(2);
        if (!m || m->kind != Tok::kNum || m->text.size() > 2) return false;
        dt.hour = h->value;
        dt.minute = m->value;
        pos_ += 3;
        if (IsSep(0, ':')) {
            const Tok* s = Peek(1);
            if (!s || s->kind != Tok::kNum || s->text.size() > 2) return false;
            dt.second = s->value;
            pos_ += 2;
        }
        const size_t save = pos_;
        SkipSpace();
        const Tok* w = Peek();
        if (w && w->kind == Tok::kWord) {
            const std::string ampm = LowerCase(w->text);
            if (ampm != "am" && ampm != "pm") return false;
            if (dt.hour < 1 || dt.hour > 12) return false;
            dt.hour = dt.hour % 12 + (ampm == "pm" ? 12 : 0);
            ++pos_;
        } else {
            pos_ = save;
        }
        return true;
    }

    const std::vector<Tok>& toks_;
    size_t pos_ = 0;
};

}  // namespace

std::optional<DateTime> ParseGermanDate(std::string_view text) {
    std::vector<Tok> toks;
    // no date form is anywhere near this long; the limit keeps hostile text cheap
    if (text.size() > 100 || !Tokenize(text, toks) || toks.empty()) return std::nullopt;
    return DateReader(toks).Read();
}

bool IsGermanDate(std::string_view text) {
    return ParseGermanDate(text).has_value();
}

}  // namespace norvik
