#pragma once
// libzip's error codes as German text for findings and messages.

#include <string>

namespace norvik {

// One German sentence for a libzip error (ZIP_ER_…) and its system error (errno), without a
// closing point: "die Datei ist keine ZIP-Datei".
std::string ZipErrorText(int zipError, int systemError);

}  // namespace norvik
