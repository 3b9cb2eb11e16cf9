#include "support/datev_batch.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <span>
#include <stdexcept>
#include <string_view>

namespace norvik::test {
namespace {

constexpr size_t kHeaderFields = 31;
constexpr size_t kColumns = 125;
constexpr size_t kMaxBookings = 99999;
constexpr size_t kAny = std::string::npos;

using Findings = std::vector<std::string>;

struct Field {
    std::string raw;   // as written, quotes included
    std::string text;  // without the enclosing quotes, doubled quotes undone
    bool quoted = false;
};

// What the header says about the bookings; 0 where the header gives nothing usable.
struct Header {
    int fiscalStart = 0, from = 0, to = 0;  // YYYYMMDD
    size_t accountLength = 0;
};

void Add(Findings& out, size_t line, size_t field, const std::string& what) {
    std::string where = line == 0 ? "file" : "line " + std::to_string(line);
    if (field != 0) where += " field " + std::to_string(field);
    out.push_back(where + ": " + what);
}

std::string Hex(unsigned char byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", byte);
    return buffer;
}

// The length of a UTF-8 multi-byte sequence starting at i, or 0: such bytes mean the writer
// encoded UTF-8, not Windows-1252.
size_t Utf8Length(const std::string& s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const size_t n = byte(i) >= 0xC2 && byte(i) <= 0xDF   ? 2
                     : byte(i) >= 0xE0 && byte(i) <= 0xEF ? 3
                     : byte(i) >= 0xF0 && byte(i) <= 0xF4 ? 4
                                                          : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = i + 1; k < i + n; ++k)
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
    return n;
}

// The lines without their CR LF; a line break other than CR LF is a finding.
std::vector<std::string> Lines(const std::string& bytes, Findings& out) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < bytes.size();) {
        size_t lf = bytes.find('\n', start);
        const size_t no = lines.size() + 1;
        if (lf == std::string::npos) {
            Add(out, no, 0, "the last line does not end with CR LF");
            lf = bytes.size();
        } else if (lf == start || bytes[lf - 1] != '\r') {
            Add(out, no, 0, "line ends with LF without CR");
        }
        const size_t end = lf > start && bytes[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back(bytes.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

// The fields of a line, split at ';' outside quotes, with the findings on bytes and quoting.
std::vector<Field> Split(const std::string& line, size_t no, Findings& out) {
    std::vector<Field> fields(1);
    bool inQuotes = false;
    for (size_t i = 0, checkedUpTo = 0; i < line.size(); ++i) {
        Field& f = fields.back();
        const char c = line[i];
        const auto byte = static_cast<unsigned char>(c);
        if (i >= checkedUpTo) {
            if (const size_t n = Utf8Length(line, i); n != 0) {
                Add(out, no, fields.size(),
                    "UTF-8 sequence of " + std::to_string(n) + " bytes from " + Hex(byte) +
                        " (not Windows-1252)");
                checkedUpTo = i + n;
            } else if (std::string_view("\x81\x8D\x8F\x90\x9D").find(c) != kAny) {
                Add(out, no, fields.size(), "byte " + Hex(byte) + " is undefined in Windows-1252");
            } else if (byte < 0x20 || byte == 0x7F) {
                Add(out, no, fields.size(), "control character " + Hex(byte));
            }
        }
        const bool nextQuote = i + 1 < line.size() && line[i + 1] == '"';
        const bool fieldEnds = i + 1 == line.size() || line[i + 1] == ';';
        if (inQuotes && c == '"' && nextQuote) {
            f.raw += c;
            f.text += c;
            ++i;
        } else if (inQuotes && c == '"' && fieldEnds) {
            inQuotes = false;
        } else if (inQuotes && c == '"') {
            Add(out, no, fields.size(), "lone quote inside quotes or text after the closing one");
            f.text += c;
        } else if (!inQuotes && c == ';') {
            fields.emplace_back();
            continue;
        } else if (!inQuotes && c == '"' && f.raw.empty()) {
            inQuotes = f.quoted = true;
        } else {
            if (c == '"') Add(out, no, fields.size(), "quote inside an unquoted field");
            f.text += c;
        }
        f.raw += c;
    }
    if (inQuotes) Add(out, no, fields.size(), "quote not closed");
    return fields;
}

bool Is(const std::string& s, const std::string& pattern) {
    // Compiled once each: a batch may hold 99999 lines.
    static std::map<std::string, std::regex> compiled;
    auto it = compiled.find(pattern);
    if (it == compiled.end()) it = compiled.emplace(pattern, std::regex(pattern)).first;
    return std::regex_match(s, it->second);
}

int DaysIn(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool ValidDate(int year, int month, int day) {
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysIn(year, month);
}

// A YYYYMMDD date as a number, or 0 when it is no valid date.
int Date8(const std::string& s) {
    if (!Is(s, R"(\d{8})")) return 0;
    const int value = std::stoi(s);
    return ValidDate(value / 10000, value / 100 % 100, value % 100) ? value : 0;
}

// The forms of the header fields as DATEV writes them; nullptr for a text field (below). An empty
// text field may be "" or nothing.
// clang-format off
const char* const kHeaderForms[kHeaderFields] = {
    R"("EXTF")", "700", "21", R"("Buchungsstapel")", "13",                                // 1-5
    R"(\d{17})", "", nullptr, nullptr, nullptr,                                           // 6-10
    R"(\d{4,7})", R"([1-9]\d{0,4})", R"(\d{8})", "[4-8]", R"(\d{8})",                     // 11-15
    R"(\d{8})", nullptr, R"((""|"[A-Z]{2}")?)", "[12]", "(0|30|40|50|64)?",               // 16-20
    "[01]", R"("[A-Z]{3}")", "", nullptr, "",                                             // 21-25
    "", R"((""|"\d\d")?)", R"(\d{0,4})", "", nullptr,                                     // 26-30
    nullptr};                                                                             // 31
// clang-format on
// The text fields and their maximum lengths.
const std::pair<size_t, size_t> kHeaderTexts[] = {{8, 2},     {9, 25},    {10, kAny}, {17, 30},
                                                  {24, kAny}, {30, kAny}, {31, 16}};
// The forms of the booking fields DATEV describes; the fields after 14 need only correct quoting.
// clang-format off
const char* const kBookingForms[] = {
    R"(\d{1,10},\d{2})", R"("[SH]")", R"((""|"[A-Z]{3}")?)", R"(([1-9]\d{0,3},\d{2,6})?)",  // 1-4
    R"((\d{1,10},\d{2})?)", R"((""|"[A-Z]{3}")?)", R"(\d{1,9})", R"(\d{1,9})",            // 5-8
    R"((""|"\d{4}")?)", R"(\d{4})", nullptr, nullptr, R"((\d{1,10},\d{2})?)", nullptr};  // 9-14
// clang-format on
const std::pair<size_t, size_t> kBookingTexts[] = {{11, 36}, {12, 12}, {14, 60}};
// Belegfeld 1 and 2 hold only these characters.
constexpr const char* kBelegChars = R"([0-9A-Za-z$&%*+\-/])";

void CheckForms(const std::vector<Field>& f, size_t no, std::span<const char* const> forms,
                std::span<const std::pair<size_t, size_t>> texts, Findings& out) {
    for (size_t i = 0; i < forms.size(); ++i)
        if (forms[i] != nullptr && !Is(f[i].raw, forms[i]))
            Add(out, no, i + 1, "'" + f[i].raw + "' is not of the form " + forms[i]);
    for (const auto& [n, max] : texts) {
        const Field& field = f[n - 1];
        if (!field.raw.empty() && !field.quoted) Add(out, no, n, "text not in quotes");
        if (max != kAny && field.text.size() > max)
            Add(out, no, n,
                std::to_string(field.text.size()) + " characters, at most " + std::to_string(max));
    }
}

Header CheckHeader(std::vector<Field> f, Findings& out) {
    if (f.size() != kHeaderFields)
        Add(out, 1, 0, std::to_string(f.size()) + " header fields, not 31");
    f.resize(kHeaderFields);
    CheckForms(f, 1, kHeaderForms, kHeaderTexts, out);
    const std::string& created = f[5].raw;
    if (Is(created, R"(\d{17})") && (Date8(created.substr(0, 8)) == 0 ||
                                     !Is(created.substr(8, 6), R"(([01]\d|2[0-3])[0-5]\d[0-5]\d)")))
        Add(out, 1, 6, "'" + created + "' is no valid time stamp");
    if (Is(f[10].raw, R"(\d{4,7})") && std::stoi(f[10].raw) < 1001)
        Add(out, 1, 11, "Berater below 1001");
    Header h;
    h.fiscalStart = Date8(f[12].raw);
    h.from = Date8(f[14].raw);
    h.to = Date8(f[15].raw);
    for (const size_t n : {13, 15, 16})
        if (Is(f[n - 1].raw, R"(\d{8})") && Date8(f[n - 1].raw) == 0)
            Add(out, 1, n, "'" + f[n - 1].raw + "' is no valid date");
    if (Is(f[13].raw, "[4-8]")) h.accountLength = static_cast<size_t>(std::stoi(f[13].raw));
    if (h.from != 0 && h.to != 0 && h.from > h.to) Add(out, 1, 16, "Datum bis before Datum vom");
    if (h.from != 0 && h.to != 0 && h.from / 10000 != h.to / 10000)
        Add(out, 1, 16, "period spans two calendar years");
    if (h.fiscalStart != 0 && h.from != 0 && h.from < h.fiscalStart)
        Add(out, 1, 15, "Datum vom before WJ-Beginn");
    if (h.fiscalStart != 0 && h.to != 0 && h.to >= h.fiscalStart + 10000)
        Add(out, 1, 16, "Datum bis beyond the fiscal year starting at WJ-Beginn");
    return h;
}

// The column titles, from UTF-8 to the Windows-1252 bytes they have in a file (all in Latin-1).
const std::vector<std::string>& Titles() {
    static const std::vector<std::string> titles = [] {
        std::ifstream in(std::string(NORVIK_SOURCE_DIR) + "/tests/support/datev_titles.txt");
        std::vector<std::string> list;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            std::string bytes;
            for (size_t i = 0; i < line.size(); ++i) {
                const bool pair = Utf8Length(line, i) == 2;
                bytes += pair ? static_cast<char>((line[i] & 0x1F) << 6 | (line[i + 1] & 0x3F))
                              : line[i];
                i += pair;
            }
            list.push_back(bytes);
        }
        if (list.size() != kColumns) throw std::runtime_error("datev_titles.txt: not 125 titles");
        return list;
    }();
    return titles;
}

void CheckTitles(const std::vector<Field>& f, Findings& out) {
    if (f.size() != kColumns) Add(out, 2, 0, std::to_string(f.size()) + " titles, not 125");
    for (size_t i = 0; i < f.size() && i < kColumns; ++i)
        if (f[i].raw != Titles()[i])
            Add(out, 2, i + 1, "title '" + f[i].raw + "', expected '" + Titles()[i] + "'");
}

void CheckBooking(std::vector<Field> f, size_t no, const Header& h, Findings& out) {
    if (f.size() != kColumns) Add(out, no, 0, std::to_string(f.size()) + " fields, not 125");
    f.resize(kColumns);
    CheckForms(f, no, kBookingForms, kBookingTexts, out);
    if (Is(f[0].raw, R"(0+,00)")) Add(out, no, 1, "Umsatz is zero");
    for (const size_t n : {7, 8})
        if (h.accountLength != 0 && f[n - 1].raw.size() > h.accountLength + 1)
            Add(out, no, n,
                "more than " + std::to_string(h.accountLength + 1) +
                    " digits for Sachkontenlaenge " + std::to_string(h.accountLength));
    for (const size_t n : {11, 12})
        if (!Is(f[n - 1].text, std::string(kBelegChars) + "*"))
            Add(out, no, n, "'" + f[n - 1].text + "' has characters outside " + kBelegChars);
    const std::string& date = f[9].raw;
    if (!Is(date, R"(\d{4})")) return;
    const int day = std::stoi(date.substr(0, 2)), month = std::stoi(date.substr(2, 2));
    // The year comes from WJ-Beginn; a day before its month and day lies in the next year.
    const int fiscalYear = h.fiscalStart / 10000, fiscalDay = h.fiscalStart % 10000;
    const int year = h.fiscalStart == 0 ? 2000 : fiscalYear + (month * 100 + day < fiscalDay);
    const int whole = year * 10000 + month * 100 + day;
    if (!ValidDate(year, month, day))
        Add(out, no, 10,
            "Belegdatum '" + date + "' is no valid day" +
                (h.fiscalStart == 0 ? "" : " of " + std::to_string(year)));
    else if (h.fiscalStart != 0 && h.from != 0 && h.to != 0 && (whole < h.from || whole > h.to))
        Add(out, no, 10, "Belegdatum " + std::to_string(whole) + " outside Datum vom to Datum bis");
}

}  // namespace

std::vector<std::string> DatevBatchFindings(const std::string& input) {
    Findings out;
    std::string bytes = input;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        Add(out, 1, 0, "byte order mark");
        bytes.erase(0, 3);
    }
    const std::vector<std::string> lines = Lines(bytes, out);
    Header header;
    size_t bookings = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t no = i + 1;
        if (lines[i].empty()) {
            Add(out, no, 0, "empty line");
            continue;
        }
        const std::vector<Field> fields = Split(lines[i], no, out);
        if (no == 1) {
            header = CheckHeader(fields, out);
        } else if (no == 2) {
            CheckTitles(fields, out);
        } else {
            ++bookings;
            CheckBooking(fields, no, header, out);
        }
    }
    if (lines.empty()) Add(out, 0, 0, "no header");
    if (bookings == 0) Add(out, 0, 0, "no booking line");
    if (bookings > kMaxBookings)
        Add(out, 0, 0, std::to_string(bookings) + " booking lines, at most 99999");
    return out;
}

}  // namespace norvik::test
