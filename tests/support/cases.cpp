#include "support/cases.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "support/test_support.h"

namespace norvik::test {
namespace {

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// The field with "\t", "\n", "\r", "\\" and "\xHH" read as their bytes; any other backslash
// stands for itself, as in a Windows path.
std::string Decoded(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        const char next = i + 1 < field.size() ? field[i + 1] : '\0';
        if (field[i] != '\\') {
            out += field[i];
        } else if (next == 't' || next == 'n' || next == 'r' || next == '\\') {
            out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            ++i;
        } else if (next == 'x' && i + 3 < field.size() && IsHex(field[i + 2]) &&
                   IsHex(field[i + 3])) {
            out += static_cast<char>(std::stoi(field.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

}  // namespace

std::string DecodedField(const std::string& field) {
    return Decoded(field);
}

std::vector<CaseRow> ReadCases(const std::string& name) {
    const std::string path = std::string(NORVIK_SOURCE_DIR) + "/tests/" + name;
    std::istringstream text(ReadBytes(path));
    if (text.str().empty()) ADD_FAILURE() << "no cases in " << path;
    std::vector<CaseRow> rows;
    int line = 0;
    for (std::string raw; std::getline(text, raw);) {
        if (++line, raw.empty() || raw[0] == '#') continue;
        CaseRow row;
        row.where = name + ":" + std::to_string(line);
        for (size_t from = 0;;) {
            const size_t tab = raw.find('\t', from);
            row.fields.push_back(Decoded(raw.substr(from, tab - from)));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<CaseBlock> ReadBlocks(const std::string& name) {
    std::istringstream text(ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/" + name));
    std::vector<CaseBlock> blocks;
    bool expected = false;
    int line = 0;
    for (std::string raw; std::getline(text, raw);) {
        if (++line, raw.starts_with("=== ")) {
            blocks.push_back({name + ":" + std::to_string(line) + " " + raw.substr(4), "", ""});
            expected = false;
        } else if (!blocks.empty() && raw == "---" && !expected) {
            expected = true;
        } else if (!blocks.empty()) {
            (expected ? blocks.back().expected : blocks.back().input) += raw + "\n";
        }
    }
    // Blank lines between the cases belong to none.
    for (CaseBlock& block : blocks)
        for (std::string* part : {&block.input, &block.expected}) {
            while (part->ends_with("\n\n")) part->pop_back();
            if (*part == "\n") part->clear();
        }
    if (blocks.empty()) ADD_FAILURE() << "no cases in " << name;
    return blocks;
}

std::string Filled(std::string text, const std::vector<std::pair<std::string, std::string>>& with) {
    for (const auto& [name, value] : with)
        for (size_t p; (p = text.find(name)) != std::string::npos;)
            text.replace(p, name.size(), value);
    return text;
}

std::string Repeated(std::string text) {
    static const std::regex repeat(R"(\{(\d+)\*([^}]+)\})");
    for (std::smatch m; std::regex_search(text, m, repeat);) {
        std::string times;
        for (unsigned long i = std::stoul(m[1]); i > 0; --i) times += m.str(2);
        text.replace(m.position(), m.length(), times);
    }
    return text;
}

std::string RaisedBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const VbError& e) {
        return std::to_string(e.Number()) + ": " + e.Description();
    }
    return "";
}

bool Matches(const std::string& text, const std::string& pattern) {
    // The pieces between the stars in order: the first at the start, the last at the end.
    size_t at = 0, from = 0;
    for (size_t star; (star = pattern.find('*', from)) != std::string::npos; from = star + 1) {
        const std::string piece = pattern.substr(from, star - from);
        const size_t found =
            from == 0 ? (text.starts_with(piece) ? 0 : std::string::npos) : text.find(piece, at);
        if (found == std::string::npos) return false;
        at = found + piece.size();
    }
    const std::string last = pattern.substr(from);
    if (from == 0) return text == last;
    return text.size() >= at + last.size() && text.ends_with(last);
}

Value CaseValue(const std::string& kind, const std::string& text) {
    if (kind == "null") return Null{};
    if (kind == "int") return static_cast<int64_t>(std::stoll(text));
    if (kind == "double") return std::strtod(text.c_str(), nullptr);
    if (kind == "dec") return Decimal{text};
    if (kind == "text") return text;
    if (kind == "bool") return text == "1";
    if (kind == "date") {
        DateTime d;
        std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &d.year, &d.month, &d.day, &d.hour,
                    &d.minute, &d.second);
        return d;
    }
    throw std::invalid_argument("unknown value kind " + kind);
}

std::string DescribeValue(const Value& value) {
    static const char* const kKinds[] = {"null", "int", "double", "dec", "text", "date", "bool"};
    std::string text;
    if (const auto* i = std::get_if<int64_t>(&value)) text = std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", *d);
        text = buffer;
    }
    if (const auto* m = std::get_if<Decimal>(&value)) text = m->text;
    if (const auto* s = std::get_if<std::string>(&value)) text = *s;
    if (const auto* b = std::get_if<bool>(&value)) text = *b ? "1" : "0";
    if (const auto* t = std::get_if<DateTime>(&value)) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t->year, t->month,
                      t->day, t->hour, t->minute, t->second);
        text = buffer;
    }
    return std::string(kKinds[value.index()]) + ":" + text;
}

}  // namespace norvik::test
