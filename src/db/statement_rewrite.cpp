#include "db/statement_rewrite.h"

#include <algorithm>

namespace norvik::db {
namespace {

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
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
    while (i < sql.size() && IsWordChar(sql[i]) &&
           !(i == pos + 1 && sql[i] >= '0' && sql[i] <= '9'))
        ++i;
    if (i >= sql.size() || sql[i] != '$') return pos;
    const std::string_view tag = sql.substr(pos, i + 1 - pos);
    const size_t close = sql.find(tag, i + 1);
    return close == std::string_view::npos ? sql.size() : close + tag.size();
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
        const char c = sql[i];
        size_t end = i + 1;
        if (c == '\'') {
            const bool escapes = i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e') &&
                                 (i < 2 || !IsWordChar(sql[i - 2]));
            end = QuotedEnd(sql, i, escapes);
        } else if (c == '"') {
            end = QuotedEnd(sql, i, false);
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            end = sql.find('\n', i);
            end = end == std::string_view::npos ? sql.size() : end;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            end = BlockCommentEnd(sql, i);
        } else if (c == '$') {
            end = std::max(DollarQuoteEnd(sql, i), i + 1);
        } else if (c == '?') {
            out.text += '$';
            out.text += std::to_string(++out.markers);
            ++i;
            continue;
        }
        out.text.append(sql.substr(i, end - i));
        i = end;
    }
    return out;
}

NumberedSql PlaceholdersFor(std::string_view sql, size_t parameters) {
    if (parameters > 0) return NumberPlaceholders(sql);
    return NumberedSql{std::string(sql), 0};
}

}  // namespace norvik::db
