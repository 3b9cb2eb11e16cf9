#include "engine/export_sql.h"

#include <array>
#include <optional>
#include <string_view>

#include "common/ascii.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

// Outside single-quoted literals, double quotes become single quotes and ";" a blank: a literal
// such as 'O"Neil; Ltd' reaches the database as written.
void CleanQuotesAndSeparators(std::string& sql) {
    bool inLiteral = false;
    for (char& c : sql) {
        if (c == '\'') {
            inLiteral = !inLiteral;
        } else if (!inLiteral) {
            if (c == '"')
                c = '\'';
            else if (c == ';')
                c = ' ';
        }
    }
}

bool IsWordChar(char c) {
    return IsAsciiAlnum(c) || c == '_' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

// The top-level clauses of a statement that matter for a condition: where its WHERE begins,
// where the first clause after the WHERE (or after FROM …) begins, and whether it combines
// queries.
struct StatementShape {
    std::optional<size_t> where;  // the W of a top-level WHERE
    std::optional<size_t> tail;   // the first of GROUP BY, HAVING, ORDER BY, LIMIT … at top level
    std::optional<std::string> set;  // UNION, INTERSECT or EXCEPT at top level
};

// The word at pos in upper case, or empty when pos starts no word.
std::string WordAt(std::string_view sql, size_t pos) {
    if (pos > 0 && IsWordChar(sql[pos - 1])) return {};
    std::string word;
    while (pos < sql.size() && IsWordChar(sql[pos])) word += AsciiUpper(sql[pos++]);
    return word;
}

// The next word after pos (blanks and comments skipped are not expected between GROUP and BY).
std::string NextWord(std::string_view sql, size_t pos) {
    while (pos < sql.size() && IsWordChar(sql[pos])) ++pos;
    while (pos < sql.size() && IsAsciiSpace(sql[pos])) ++pos;
    return WordAt(sql, pos);
}

[[noreturn]] void Unreadable(const std::string& why) {
    throw VbError(kErrInvalidArgument,
                  "Die Auswahlbedingung kann nicht an die Datenquelle angefügt werden: " + why +
                      " Bitte die Datenquelle der Exportdefinition prüfen.");
}

StatementShape ShapeOf(std::string_view sql) {
    static constexpr std::array<std::string_view, 6> kTailWords = {"HAVING", "LIMIT",  "OFFSET",
                                                                   "FETCH",  "WINDOW", "FOR"};
    StatementShape shape;
    bool fromSeen = false;  // clause words before FROM are column names ("SELECT limit FROM t")
    int depth = 0;
    size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'') {
            const size_t end = sql.find('\'', i + 1);
            if (end == std::string_view::npos)
                Unreadable("ein Text in Hochkommas ist nicht beendet.");
            i = end + 1;
            continue;
        }
        if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const size_t end = sql.find('\n', i);
            i = end == std::string_view::npos ? sql.size() : end + 1;
            continue;
        }
        if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const size_t end = sql.find("*/", i + 2);
            if (end == std::string_view::npos) Unreadable("ein Kommentar ist nicht beendet.");
            i = end + 2;
            continue;
        }
        if (c == '(' || c == ')') {
            depth += c == '(' ? 1 : -1;
            if (depth < 0) Unreadable("die Klammern sind nicht ausgeglichen.");
            ++i;
            continue;
        }
        if (depth == 0 && IsWordChar(c) && (i == 0 || !IsWordChar(sql[i - 1]))) {
            const std::string word = WordAt(sql, i);
            const bool byClause = (word == "GROUP" || word == "ORDER") && NextWord(sql, i) == "BY";
            bool tailWord = byClause;
            for (const std::string_view t : kTailWords) tailWord = tailWord || word == t;
            if (word == "UNION" || word == "INTERSECT" || word == "EXCEPT") {
                if (!shape.set) shape.set = word;
            } else if (word == "FROM") {
                fromSeen = true;
            } else if (fromSeen && word == "WHERE" && !shape.where && !shape.tail) {
                shape.where = i;
            } else if (fromSeen && tailWord && !shape.tail) {
                shape.tail = i;
            }
            i += word.size();
            continue;
        }
        ++i;
    }
    if (depth != 0) Unreadable("die Klammern sind nicht ausgeglichen.");
    return shape;
}

// True when the last line of the text holds a line comment, which would swallow what follows.
bool EndsInLineComment(std::string_view text) {
    const size_t newline = text.rfind('\n');
    bool inLiteral = false;
    for (size_t i = newline == std::string_view::npos ? 0 : newline + 1; i + 1 < text.size(); ++i) {
        if (text[i] == '\'') inLiteral = !inLiteral;
        if (!inLiteral && text[i] == '-' && text[i + 1] == '-') return true;
    }
    return false;
}

// The text without trailing blanks, ended by a line break when its last line is a comment.
std::string Closed(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
    return std::string(text) + (EndsInLineComment(text) ? "\n" : "");
}

}  // namespace

std::string BuildExportSql(const std::string& datenquelle, const std::string& sqlWhere) {
    std::string sql =
        datenquelle.rfind("SELECT ", 0) == 0 ? datenquelle : "SELECT * FROM " + datenquelle;
    CleanQuotesAndSeparators(sql);
    if (sqlWhere.empty()) return sql;
    const StatementShape shape = ShapeOf(sql);
    if (shape.set)
        Unreadable("sie verbindet mehrere Abfragen mit " + *shape.set +
                   ", und eine Bedingung gälte nur für eine davon.");
    if (!shape.where && !shape.tail) {
        if (EndsInLineComment(sql)) sql += '\n';
        sql += " WHERE " + sqlWhere;
    } else {
        const std::string_view text(sql);
        const size_t tail = shape.tail.value_or(sql.size());
        std::string joined;
        if (shape.where) {
            size_t conditionStart = *shape.where + 5;
            while (conditionStart < tail && IsAsciiSpace(text[conditionStart])) ++conditionStart;
            joined = std::string(text.substr(0, *shape.where)) + "WHERE (" +
                     Closed(text.substr(conditionStart, tail - conditionStart)) + ") AND (" +
                     sqlWhere + ")";
        } else {
            const std::string before = Closed(text.substr(0, tail));
            joined = before + (before.back() == '\n' ? "WHERE " : " WHERE ") + sqlWhere;
        }
        if (tail < sql.size()) joined += " " + std::string(text.substr(tail));
        sql = std::move(joined);
    }
    CleanQuotesAndSeparators(sql);
    return sql;
}

}  // namespace norvik
