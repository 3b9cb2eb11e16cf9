#include "support/datev_batch.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <regex>
#include <stdexcept>

#include "support/cases.h"

namespace norvik::test {
namespace {

constexpr size_t kAny = std::string::npos;

struct Field {
    std::string raw;   // as written, quotes included
    std::string text;  // without the enclosing quotes, doubled quotes undone
    bool quoted = false;
};

// The findings, each told where it stands: line 0 is the file, field 0 the whole line.
struct Findings {
    std::vector<std::string> list;
    void operator()(size_t line, size_t field, const std::string& what) {
        std::string where = line == 0 ? "file" : "line " + std::to_string(line);
        if (field != 0) where += " field " + std::to_string(field);
        list.push_back(where + ": " + what);
    }
};

std::string Hex(char c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", static_cast<unsigned char>(c));
    return buffer;
}

// The length of a UTF-8 multi-byte sequence starting at i, or 0: such bytes mean the writer
// encoded UTF-8, not Windows-1252.
size_t Utf8Length(const std::string& s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const size_t n = byte(i) < 0xC2    ? 0
                     : byte(i) <= 0xDF ? 2
                     : byte(i) <= 0xEF ? 3
                     : byte(i) <= 0xF4 ? 4
                                       : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = i + 1; k < i + n; ++k)
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
    return n;
}

// The fields of a line, split at ';' outside quotes, with the findings on bytes and quoting.
std::vector<Field> Split(const std::string& line, size_t no, Findings& add) {
    std::vector<Field> fields(1);
    bool inQuotes = false;
    for (size_t i = 0, checkedUpTo = 0; i < line.size(); ++i) {
        Field& f = fields.back();
        const char c = line[i];
        if (i >= checkedUpTo) {
            const size_t n = Utf8Length(line, i);
            checkedUpTo = i + n;
            if (n != 0)
                add(no, fields.size(),
                    "UTF-8 sequence of " + std::to_string(n) + " bytes from " + Hex(c) +
                        " (not Windows-1252)");
            else if (std::string("\x81\x8D\x8F\x90\x9D").find(c) != kAny)
                add(no, fields.size(), "byte " + Hex(c) + " is undefined in Windows-1252");
            else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                add(no, fields.size(), "control character " + Hex(c));
        }
        if (!inQuotes && c == ';') {
            fields.emplace_back();
            continue;
        }
        f.raw += c;
        if (c != '"') {
            f.text += c;
        } else if (!inQuotes && f.raw.size() == 1) {
            inQuotes = f.quoted = true;
        } else if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
            f.raw += line[++i];  // a doubled quote: the text keeps one
            f.text += c;
        } else if (inQuotes && (i + 1 == line.size() || line[i + 1] == ';')) {
            inQuotes = false;
        } else {
            add(no, fields.size(),
                inQuotes ? "lone quote inside quotes or text after the closing one"
                         : "quote inside an unquoted field");
            f.text += c;
        }
    }
    if (inQuotes) add(no, fields.size(), "quote not closed");
    return fields;
}

bool Is(const std::string& s, const std::string& pattern) {
    // Compiled once each: a batch may hold 99999 lines.
    static std::map<std::string, std::regex> compiled;
    auto it = compiled.try_emplace(pattern, pattern).first;
    return std::regex_match(s, it->second);
}

bool ValidDate(int year, int month, int day) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month >= 1 && month <= 12 && day >= 1 && day <= kDays[month - 1] + (month == 2 && leap);
}

// A YYYYMMDD date as a number, or 0 when it is no valid date.
int Date8(const std::string& s) {
    const int value = Is(s, R"(\d{8})") ? std::stoi(s) : 0;
    return ValidDate(value / 10000, value / 100 % 100, value % 100) ? value : 0;
}

// A field of a line as support/datev_fields.tsv describes it.
struct Column {
    std::string form;    // "*": any
    size_t maxText = 0;  // 0: no text field; kAny: a text of any length
    std::string title;   // of a booking field, as its Windows-1252 bytes
};

// The columns of the "header" or of a "booking".
const std::vector<Column>& Columns(const std::string& line) {
    static const std::map<std::string, std::vector<Column>> columns = [] {
        std::map<std::string, std::vector<Column>> all;
        for (const CaseRow& row : ReadCases("support/datev_fields.tsv")) {
            if (std::stoul(row[1]) != all[row[0]].size() + 1)
                throw std::runtime_error(row.where + ": out of order");
            Column& c = all[row[0]].emplace_back(Column{row[2], 0, ""});
            c.maxText = row[3].empty() ? 0 : row[3] == "any" ? kAny : std::stoul(row[3]);
            // The titles are all in Latin-1: each UTF-8 pair is one byte.
            for (size_t i = 0; row.fields.size() > 4 && i < row[4].size(); ++i) {
                const bool pair = Utf8Length(row[4], i) == 2;
                c.title += pair
                               ? static_cast<char>((row[4][i] & 0x1F) << 6 | (row[4][i + 1] & 0x3F))
                               : row[4][i];
                i += pair;
            }
        }
        return all;
    }();
    return columns.at(line);
}

// Belegfeld 1 and 2 hold only these characters.
constexpr const char* kBelegChars = R"([0-9A-Za-z$&%*+\-/])";

// The fields, as many as there must be, checked against their columns.
std::vector<Field> Checked(std::vector<Field> f, const std::string& line, const char* what,
                           size_t no, Findings& add) {
    const std::vector<Column>& columns = Columns(line);
    if (f.size() != columns.size())
        add(no, 0, std::to_string(f.size()) + what + ", not " + std::to_string(columns.size()));
    f.resize(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        if (c.form != "*" && !Is(f[i].raw, c.form))
            add(no, i + 1, "'" + f[i].raw + "' is not of the form " + c.form);
        if (c.maxText != 0 && !f[i].raw.empty() && !f[i].quoted)
            add(no, i + 1, "text not in quotes");
        if (c.maxText != 0 && c.maxText != kAny && f[i].text.size() > c.maxText)
            add(no, i + 1,
                std::to_string(f[i].text.size()) + " characters, at most " +
                    std::to_string(c.maxText));
    }
    return f;
}

// What the header says about the bookings; 0 where it gives nothing usable.
struct Header {
    int fiscalStart = 0, from = 0, to = 0;  // YYYYMMDD
    size_t accountLength = 0;
};

Header CheckHeader(const std::vector<Field>& fields, Findings& add) {
    const std::vector<Field> f = Checked(fields, "header", " header fields", 1, add);
    const std::string& created = f[5].raw;
    if (Is(created, R"(\d{17})") && (Date8(created.substr(0, 8)) == 0 ||
                                     !Is(created.substr(8, 6), R"(([01]\d|2[0-3])[0-5]\d[0-5]\d)")))
        add(1, 6, "'" + created + "' is no valid time stamp");
    if (Is(f[10].raw, R"(\d{4,7})") && std::stoi(f[10].raw) < 1001)
        add(1, 11, "Berater below 1001");
    for (const size_t n : {13, 15, 16})
        if (Is(f[n - 1].raw, R"(\d{8})") && Date8(f[n - 1].raw) == 0)
            add(1, n, "'" + f[n - 1].raw + "' is no valid date");
    const Header h{Date8(f[12].raw), Date8(f[14].raw), Date8(f[15].raw),
                   Is(f[13].raw, "[4-8]") ? static_cast<size_t>(std::stoi(f[13].raw)) : 0};
    if (h.from != 0 && h.to != 0 && h.from > h.to) add(1, 16, "Datum bis before Datum vom");
    if (h.from != 0 && h.to != 0 && h.from / 10000 != h.to / 10000)
        add(1, 16, "period spans two calendar years");
    if (h.fiscalStart != 0 && h.from != 0 && h.from < h.fiscalStart)
        add(1, 15, "Datum vom before WJ-Beginn");
    if (h.fiscalStart != 0 && h.to != 0 && h.to >= h.fiscalStart + 10000)
        add(1, 16, "Datum bis beyond the fiscal year starting at WJ-Beginn");
    return h;
}

void CheckTitles(const std::vector<Field>& f, Findings& add) {
    const std::vector<Column>& columns = Columns("booking");
    if (f.size() != columns.size())
        add(2, 0, std::to_string(f.size()) + " titles, not " + std::to_string(columns.size()));
    for (size_t i = 0; i < f.size() && i < columns.size(); ++i)
        if (f[i].raw != columns[i].title)
            add(2, i + 1, "title '" + f[i].raw + "', expected '" + columns[i].title + "'");
}

void CheckBooking(const std::vector<Field>& fields, size_t no, const Header& h, Findings& add) {
    const std::vector<Field> f = Checked(fields, "booking", " fields", no, add);
    if (Is(f[0].raw, R"(0+,00)")) add(no, 1, "Umsatz is zero");
    for (const size_t n : {7, 8})
        if (h.accountLength != 0 && f[n - 1].raw.size() > h.accountLength + 1)
            add(no, n,
                "more than " + std::to_string(h.accountLength + 1) +
                    " digits for Sachkontenlaenge " + std::to_string(h.accountLength));
    for (const size_t n : {11, 12})
        if (!Is(f[n - 1].text, std::string(kBelegChars) + "*"))
            add(no, n, "'" + f[n - 1].text + "' has characters outside " + kBelegChars);
    const std::string& date = f[9].raw;
    if (!Is(date, R"(\d{4})")) return;
    const int day = std::stoi(date.substr(0, 2)), month = std::stoi(date.substr(2, 2));
    // The year comes from WJ-Beginn; a day before its month and day lies in the next year.
    const int year = h.fiscalStart == 0
                         ? 2000
                         : h.fiscalStart / 10000 + (month * 100 + day < h.fiscalStart % 10000);
    const int whole = year * 10000 + month * 100 + day;
    if (!ValidDate(year, month, day))
        add(no, 10,
            "Belegdatum '" + date + "' is no valid day" +
                (h.fiscalStart == 0 ? "" : " of " + std::to_string(year)));
    else if (h.fiscalStart != 0 && h.from != 0 && h.to != 0 && (whole < h.from || whole > h.to))
        add(no, 10, "Belegdatum " + std::to_string(whole) + " outside Datum vom to Datum bis");
}

}  // namespace

std::vector<std::string> DatevBatchFindings(const std::string& input) {
    Findings add;
    const bool mark = input.starts_with("\xEF\xBB\xBF");
    if (mark) add(1, 0, "byte order mark");
    const std::string bytes = input.substr(mark ? 3 : 0);
    Header header;
    size_t no = 0, bookings = 0;
    for (size_t start = 0; start < bytes.size(); ++no) {
        size_t lf = bytes.find('\n', start);
        if (lf == kAny)
            add(no + 1, 0, "the last line does not end with CR LF");
        else if (lf == start || bytes[lf - 1] != '\r')
            add(no + 1, 0, "line ends with LF without CR");
        lf = std::min(lf, bytes.size());
        const std::string line =
            bytes.substr(start, lf - start - (lf > start && bytes[lf - 1] == '\r'));
        start = lf + 1;
        if (line.empty()) {
            add(no + 1, 0, "empty line");
        } else if (no == 0) {
            header = CheckHeader(Split(line, 1, add), add);
        } else if (no == 1) {
            CheckTitles(Split(line, 2, add), add);
        } else {
            ++bookings;
            CheckBooking(Split(line, no + 1, add), no + 1, header, add);
        }
    }
    if (no == 0) add(0, 0, "no header");
    if (bookings == 0) add(0, 0, "no booking line");
    if (bookings > 99999) add(0, 0, std::to_string(bookings) + " booking lines, at most 99999");
    return add.list;
}

}  // namespace norvik::test
