#include "db/secret_text.h"

#include <algorithm>
#include <vector>

#include "common/ascii.h"

namespace norvik::db {
namespace {

constexpr std::string_view kMask = "***";
constexpr size_t npos = std::string_view::npos;
// Keys whose value is a password: libpq's, ODBC's and German spellings.
constexpr std::string_view kSecretKeys[] = {"password", "sslpassword", "passwd",
                                            "pwd",      "passwort",    "kennwort"};

bool IsKeyChar(char c) {
    return IsAsciiAlnum(c) || c == '_';
}
bool IsSchemeChar(char c) {
    return IsKeyChar(c) || c == '+' || c == '-' || c == '.';
}
// Characters a URL does not hold unencoded, so that one ends before them in a message.
bool EndsUrl(char c) {
    return IsAsciiSpace(c) || c == '"' || c == '<' || c == '>';
}

bool KeyAt(std::string_view text, size_t pos, std::string_view key) {
    if (text.size() - pos < key.size()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
        const char c = text[pos + i];
        if (AsciiLower(c) != key[i]) return false;
    }
    return true;
}

// Where the value of a secret key standing at pos begins ("password = x" gives the x), or npos.
size_t SecretValueStart(std::string_view text, size_t pos) {
    if (pos > 0 && IsKeyChar(text[pos - 1])) return npos;
    for (std::string_view key : kSecretKeys) {
        if (!KeyAt(text, pos, key)) continue;
        size_t p = pos + key.size();
        while (p < text.size() && IsAsciiBlank(text[p])) ++p;
        if (p == text.size() || text[p] != '=') continue;
        ++p;
        while (p < text.size() && IsAsciiBlank(text[p])) ++p;
        return p;
    }
    return npos;
}

// Where a value outside a URL ends: a quoted libpq value at its closing quote, a braced ODBC value
// at its closing brace, any other at ';' or the line's end. libpq separates keywords by blanks
// only, so another "key=" after a blank ends the value before that blank; an ODBC value may hold
// blanks.
size_t SecretValueEnd(std::string_view text, size_t p) {
    const size_t n = text.size();
    if (p < n && text[p] == '\'') {
        for (size_t q = p + 1; q < n; ++q) {
            if (text[q] == '\\')
                ++q;
            else if (text[q] == '\'')
                return q + 1;
        }
        return n;
    }
    if (p < n && text[p] == '{') {
        for (size_t q = p + 1; q < n; ++q) {
            if (text[q] != '}') continue;
            if (q + 1 < n && text[q + 1] == '}')
                ++q;  // "}}" is a brace inside the value
            else
                return q + 1;
        }
        return n;
    }
    size_t end = std::min(text.find_first_of(";\r\n", p), n);
    for (size_t b = p; b < end; ++b) {
        if (!IsAsciiBlank(text[b])) continue;
        size_t k = b;
        while (k < end && IsAsciiBlank(text[k])) ++k;
        size_t e = k;
        while (e < end && IsKeyChar(text[e])) ++e;
        size_t q = e;
        while (q < end && IsAsciiBlank(text[q])) ++q;
        if (e > k && q < end && text[q] == '=') {
            end = b;
            break;
        }
    }
    while (end > p && IsAsciiBlank(text[end - 1])) --end;
    return end;
}

void AppendMasked(std::string& out, std::string_view secret, std::vector<std::string>* secrets) {
    if (secret.empty()) return;
    out += kMask;
    if (secrets) secrets->emplace_back(secret);
}

// The part of a URL after "://": the password of the user part and "password=" parameters.
void RedactUrl(std::string_view rest, std::string& out, std::vector<std::string>* secrets) {
    // Parameters begin at the first '?' after the path's '/'; before it a raw '?' or '@' may
    // belong to the password, so the user part ends at the last '@'.
    const size_t slash = rest.find('/');
    const size_t query = slash == npos ? npos : rest.find('?', slash);
    const size_t at = rest.substr(0, query).rfind('@');
    size_t i = 0;
    if (at != npos) {
        const size_t colon = rest.substr(0, at).find(':');
        if (colon != npos) {
            out.append(rest.substr(0, colon + 1));
            AppendMasked(out, rest.substr(colon + 1, at - colon - 1), secrets);
            i = at;
        }
    }
    while (i < rest.size()) {
        const bool parameter = i > 0 && (rest[i - 1] == '?' || rest[i - 1] == '&');
        const size_t value = parameter ? SecretValueStart(rest, i) : npos;
        if (value == npos) {
            out.push_back(rest[i++]);
            continue;
        }
        const size_t end = std::min(rest.find_first_of("&#", value), rest.size());
        out.append(rest.substr(i, value - i));
        AppendMasked(out, rest.substr(value, end - value), secrets);
        i = end;
    }
}

// The text with its secrets masked; a URL runs to the next white space, or to the end when whole.
std::string Redact(std::string_view text, bool whole, std::vector<std::string>* secrets) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, 3, "://") == 0 && i > 0 && IsSchemeChar(text[i - 1])) {
            size_t end = i + 3;
            while (end < text.size() && (whole || !EndsUrl(text[end]))) ++end;
            out += "://";
            RedactUrl(text.substr(i + 3, end - i - 3), out, secrets);
            i = end;
            continue;
        }
        const size_t value = SecretValueStart(text, i);
        if (value == npos) {
            out.push_back(text[i++]);
            continue;
        }
        const size_t end = SecretValueEnd(text, value);
        out.append(text.substr(i, value - i));
        AppendMasked(out, text.substr(value, end - value), secrets);
        i = end;
    }
    return out;
}

// Replaces every occurrence; with wholeWords only those not glued to letters or digits.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to, bool wholeWords) {
    if (from.empty()) return;
    for (size_t p = text.find(from); p != npos; p = text.find(from, p)) {
        const size_t end = p + from.size();
        const bool glued =
            (p > 0 && IsKeyChar(text[p - 1])) || (end < text.size() && IsKeyChar(text[end]));
        if (wholeWords && glued) {
            ++p;
            continue;
        }
        text.replace(p, from.size(), to);
        p += to.size();
    }
}

// The words of a secret: a driver's syntax error may quote just one of them.
std::vector<std::string> Pieces(std::string_view secret) {
    std::vector<std::string> pieces;
    size_t start = npos;
    for (size_t i = 0; i <= secret.size(); ++i) {
        const bool split = i == secret.size() || IsAsciiSpace(secret[i]) || secret[i] == '\'' ||
                           secret[i] == '"' || secret[i] == '{' || secret[i] == '}';
        if (!split && start == npos) start = i;
        if (split && start != npos) {
            if (i - start < secret.size()) pieces.emplace_back(secret.substr(start, i - start));
            start = npos;
        }
    }
    return pieces;
}

}  // namespace

std::string RedactSecrets(std::string_view text, std::string_view connection) {
    std::string body(text);
    std::vector<std::string> secrets;
    if (!connection.empty())
        ReplaceAll(body, connection, Redact(connection, true, &secrets), false);
    std::string out = Redact(body, false, nullptr);
    for (const std::string& secret : secrets) {
        ReplaceAll(out, secret, kMask, false);
        for (const std::string& piece : Pieces(secret)) ReplaceAll(out, piece, kMask, true);
    }
    return out;
}

}  // namespace norvik::db
