#include "db/pg_url_check.h"

#include <string_view>

#include "common/ascii.h"
#include "common/vb_error.h"

namespace norvik::db {
namespace {

// Characters a user name or password may hold as they are; all others are written as %XX.
bool PlainInUserInfo(char c) {
    if (IsAsciiAlnum(c)) return true;
    return std::string_view("-._~%!$'()*+,;=:").find(c) != std::string_view::npos;
}

}  // namespace

void CheckPostgresUrl(const std::string& url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos) return;
    const std::string_view rest = std::string_view(url).substr(scheme + 3);
    const size_t at = rest.rfind('@');
    if (at == std::string_view::npos) return;
    const std::string_view userInfo = rest.substr(0, at);
    bool plain = true;
    int colons = 0;
    for (const char c : userInfo) {
        plain = plain && PlainInUserInfo(c);
        colons += c == ':' ? 1 : 0;
    }
    if (plain && colons <= 1) return;
    throw VbError(kErrInvalidArgument,
                  "Die PostgreSQL-URL ist nicht wohlgeformt: Benutzername und Passwort dürfen "
                  "Sonderzeichen nur prozentkodiert enthalten (@ als %40, / als %2F, & als %26, "
                  "? als %3F, # als %23, : im Passwort als %3A). Bitte die URL in "
                  "norvik-export.ini entsprechend ändern.");
}

}  // namespace norvik::db
