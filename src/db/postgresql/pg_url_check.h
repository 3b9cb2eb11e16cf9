#pragma once
// A PostgreSQL URL checked before libpq sees it: libpq splits a URL whose user name or password
// holds raw separators at the wrong place and quotes the pieces back in its errors, so such a URL
// is refused with a message that quotes nothing of it.

#include <string>

namespace norvik::db {

// Raises VbError 5 with a German message (percent-encode the special characters) when the user
// name or password of a postgresql:// URL holds a character that must be percent-encoded there.
void CheckPostgresUrl(const std::string& url);

}  // namespace norvik::db
