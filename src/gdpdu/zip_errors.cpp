#include "gdpdu/zip_errors.h"

#include <fmt/format.h>
#include <zip.h>

#include <cstring>

namespace norvik {

std::string ZipErrorText(int zipError, int systemError) {
    const std::string system =
        systemError != 0 && zip_error_get_sys_type(zipError) == ZIP_ET_SYS
            ? fmt::format(" (Meldung des Systems: {})", std::strerror(systemError))
            : std::string();
    switch (zipError) {
        case ZIP_ER_NOZIP:
            return "die Datei ist keine ZIP-Datei";
        case ZIP_ER_MULTIDISK:
            return "die ZIP-Datei ist auf mehrere Teile verteilt";
        case ZIP_ER_INCONS:
            return "das Inhaltsverzeichnis der ZIP-Datei ist widersprüchlich";
        case ZIP_ER_CRC:
            return "die CRC-Prüfsumme der entpackten Daten stimmt nicht";
        case ZIP_ER_COMPNOTSUPP:
            return "das Kompressionsverfahren wird nicht unterstützt";
        case ZIP_ER_ENCRNOTSUPP:
        case ZIP_ER_NOPASSWD:
        case ZIP_ER_WRONGPASSWD:
            return "der Eintrag ist verschlüsselt";
        case ZIP_ER_ZLIB:
        case ZIP_ER_COMPRESSED_DATA:
            return "die komprimierten Daten sind beschädigt";
        case ZIP_ER_EOF:
            return "die ZIP-Datei endet vorzeitig";
        case ZIP_ER_MEMORY:
            return "der Arbeitsspeicher reicht nicht";
        case ZIP_ER_READ:
        case ZIP_ER_SEEK:
        case ZIP_ER_TELL:
        case ZIP_ER_OPEN:
            return "die Datei lässt sich nicht lesen" + system;
        case ZIP_ER_WRITE:
        case ZIP_ER_CLOSE:
            return "die Datei lässt sich nicht schreiben" + system;
        case ZIP_ER_CANCELLED:
            return "abgebrochen";
        default:
            return fmt::format("Fehler {} der ZIP-Bibliothek", zipError) + system;
    }
}

}  // namespace norvik
