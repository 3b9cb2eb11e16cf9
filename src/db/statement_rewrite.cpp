#include "db/statement_rewrite.h"

#include <algorithm>

#include "common/ascii.h"

namespace norvik::db {
namespace {

bool IsWordChar(char c) {
    return IsAsciiAlnum(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// End of a '…' or "…" run starting at `pos`; a doubled quote stays inside, so does \' in E'…'
// strings.
size_t QuotedEnd(std::string_view sql, size_t pos, bool backslashEscapes) {
    const char quote = sql[pos];
    for (size_t i = pos + 1; i < sql.size(); ++i) {
        if (backslashEscapes && sql[i] == '\\') {
            ++i;
        } else if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                ++i;
            } else {
                return i + 1;
            }
        }
    }
    return sql.size();
}

// End of a /* … */ comment starting at `pos`; PostgreSQL nests them.
size_t BlockCommentEnd(std::string_view sql, size_t pos) {
    int depth = 0;
    for (size_t i = pos; i + 1 < sql.size(); ++i) {
        if (sql[i] == '/' && sql[i + 1] == '*') {
            ++depth;
            ++i;
        } else if (sql[i] == '*' && sql[i + 1] == '/') {
            ++i;
            if (--depth == 0) return i + 1;
        }
    }
    return sql.size();
}

// End of a $tag$ … $tag$ string starting at `pos`, or `pos` when no dollar quote starts there.
size_t DollarQuoteEnd(std::string_view sql, size_t pos) {
    if (pos > 0 && IsWordChar(sql[pos - 1])) return pos;
    size_t i = pos + 1;
    while (i < sql.size() && IsWordChar(sql[i]) && !(i == pos + 1 && IsAsciiDigit(sql[i]))) ++i;
    if (i >= sql.size() || sql[i] != '$') return pos;
    const std::string_view tag = sql.substr(pos, i + 1 - pos);
    const size_t close = sql.find(tag, i + 1);
    return close == std::string_view::npos ? sql.size() : close + tag.size();
}

// End of the token starting at `pos`: a quoted literal or name, a comment or dollar quote as a
// whole, any other character alone. MySQL's lexis adds backslash escapes in every literal, "#"
// comments and `names`.
size_t TokenEnd(std::string_view sql, size_t i, bool mysqlLexis) {
    const char c = sql[i];
    if (c == '\'') {
        const bool escapes = mysqlLexis || (i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e') &&
                                            (i < 2 || !IsWordChar(sql[i - 2])));
        return QuotedEnd(sql, i, escapes);
    }
    if (c == '"') return QuotedEnd(sql, i, mysqlLexis);
    if (c == '`' && mysqlLexis) return QuotedEnd(sql, i, false);
    if ((c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') || (c == '#' && mysqlLexis)) {
        const size_t end = sql.find('\n', i);
        return end == std::string_view::npos ? sql.size() : end;
    }
    if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') return BlockCommentEnd(sql, i);
    if (c == '$' && !mysqlLexis) return std::max(DollarQuoteEnd(sql, i), i + 1);
    return i + 1;
}

}  // namespace

std::string_view TrimStatementEnd(std::string_view sql) {
    const size_t last = sql.find_last_not_of(" \t\r\n;");
    return last == std::string_view::npos ? std::string_view() : sql.substr(0, last + 1);
}

NumberedSql NumberPlaceholders(std::string_view sql) {
    NumberedSql out;
    out.text.reserve(sql.size() + 8);
    size_t i = 0;
    while (i < sql.size()) {
        if (sql[i] == '?') {
            out.text += '$';
            out.text += std::to_string(++out.markers);
            ++i;
            continue;
        }
        const size_t end = TokenEnd(sql, i, false);
        out.text.append(sql.substr(i, end - i));
        i = end;
    }
    return out;
}

NumberedSql PlaceholdersFor(std::string_view sql, size_t parameters) {
    if (parameters > 0) return NumberPlaceholders(sql);
    return NumberedSql{std::string(sql), 0};
}

std::string WithoutComments(std::string_view sql) {
    std::string out;
    out.reserve(sql.size());
    for (size_t i = 0; i < sql.size();) {
        const size_t end = TokenEnd(sql, i, false);
        const bool comment = (sql[i] == '-' || sql[i] == '/') && end > i + 1;
        if (comment)
            out += ' ';
        else
            out.append(sql.substr(i, end - i));
        i = end;
    }
    return out;
}

std::vector<std::string_view> SplitStatements(std::string_view sql, bool mysqlLexis) {
    std::vector<std::string_view> statements;
    const auto add = [&](std::string_view statement) {
        // A piece of comments alone is no statement.
        if (WithoutComments(statement).find_first_not_of(" \t\r\n") == std::string::npos) return;
        statements.push_back(statement.substr(statement.find_first_not_of(" \t\r\n")));
    };
    size_t start = 0;
    for (size_t i = 0; i < sql.size();) {
        if (sql[i] == ';') {
            add(TrimStatementEnd(sql.substr(start, i - start)));
            start = ++i;
            continue;
        }
        i = TokenEnd(sql, i, mysqlLexis);
    }
    add(TrimStatementEnd(sql.substr(start)));
    return statements;
}

}  // namespace norvik::db
