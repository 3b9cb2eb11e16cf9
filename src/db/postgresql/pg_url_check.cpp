#include "db/postgresql/pg_url_check.h"

#include <string_view>

#include "common/ascii.h"
#include "common/vb_error.h"

namespace norvik::db {
namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// How a URL delimiter is written inside a user name or password.
struct Delimiter {
    char c;
    const char* encoded;
};
constexpr Delimiter kDelimiters[] = {{'@', "%40"}, {'/', "%2F"}, {'?', "%3F"},
                                     {'#', "%23"}, {':', "%3A"}, {'%', "%25"}};

}  // namespace

void CheckPostgresUrl(const std::string& url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos) return;
    const std::string_view rest = std::string_view(url).substr(scheme + 3);
    const size_t at = rest.rfind('@');
    if (at == std::string_view::npos) return;
    const std::string_view userInfo = rest.substr(0, at);
    // Letters beyond ASCII (Straße1) pass as libpq and psql take them; only what ends the user
    // name or password early, or a "%" that starts no code, is refused, and named.
    std::string found;
    const auto note = [&](const Delimiter& d) {
        const std::string text = std::string(1, d.c) + " als " + d.encoded;
        if (found.find(text) == std::string::npos) found += (found.empty() ? "" : ", ") + text;
    };
    bool colon = false;
    for (size_t i = 0; i < userInfo.size(); ++i) {
        const char c = userInfo[i];
        if (c == ':') {
            if (colon) note(kDelimiters[4]);
            colon = true;
        } else if (c == '%') {
            if (i + 2 >= userInfo.size() || !IsHexDigit(userInfo[i + 1]) ||
                !IsHexDigit(userInfo[i + 2]))
                note(kDelimiters[5]);
        } else {
            for (const Delimiter& d : kDelimiters)
                if (c == d.c) note(d);
        }
    }
    if (found.empty()) return;
    throw VbError(kErrInvalidArgument,
                  "Die PostgreSQL-URL ist nicht wohlgeformt: Benutzername oder Passwort enthalten "
                  "Trennzeichen der URL, die dort prozentkodiert stehen müssen: " +
                      found +
                      ". Bitte die URL in norvik-export.ini entsprechend ändern; andere Zeichen, "
                      "auch Umlaute, bleiben wie sie sind.");
}

}  // namespace norvik::db
