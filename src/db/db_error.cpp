#include "db/db_error.h"

#include <string>

#include "common/vb_error.h"

namespace norvik::db {

void ThrowDatabaseError(std::string_view message) {
    const auto first = message.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) throw VbError(kErrDatabase, "Unbekannter Datenbankfehler");
    const auto last = message.find_last_not_of(" \t\r\n");
    throw VbError(kErrDatabase, std::string(message.substr(first, last - first + 1)));
}

void CheckParameterCount(std::size_t markers, std::size_t given) {
    if (markers == given) return;
    throw VbError(kErrInvalidArgument, "Die Anweisung erwartet " + std::to_string(markers) +
                                           " Parameter, übergeben wurden " + std::to_string(given));
}

}  // namespace norvik::db
