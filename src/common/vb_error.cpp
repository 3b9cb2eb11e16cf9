#include "common/vb_error.h"

#include <filesystem>
#include <new>

#include "common/file_io.h"

namespace norvik {

VbError::VbError(int32_t number) : VbError(number, DescriptionOf(number)) {}

VbError::VbError(int32_t number, const std::string& description)
    : std::runtime_error(description), number_(number), description_(description) {}

std::string VbError::DescriptionOf(int32_t number) {
    switch (number) {
        case kErrInvalidArgument:
            return "Unzulässiger Prozeduraufruf oder ungültiges Argument";
        case kErrOverflow:
            return "Überlauf";
        case kErrOutOfMemory:
            return "Nicht genügend Speicher";
        case kErrOutOfRange:
            return "Index außerhalb des gültigen Bereichs";
        case kErrTypeMismatch:
            return "Typen unverträglich";
        case kErrUserInterrupt:
            return "Benutzerunterbrechung aufgetreten";
        case kErrInternal:
            return "Interner Fehler";
        case kErrBadFileName:
            return "Dateiname oder -nummer falsch";
        case kErrFileNotFound:
            return "Datei nicht gefunden";
        case kErrDeviceIo:
            return "Fehler beim Lesen/Schreiben des Geräts";
        case kErrDiskFull:
            return "Datenträger voll";
        case kErrPermissionDenied:
            return "Zugriff verweigert";
        case kErrPathFileAccess:
            return "Fehler beim Zugriff auf Pfad/Datei";
        case kErrPathNotFound:
            return "Pfad nicht gefunden";
        case kErrObjectNotSet:
            return "Objektvariable oder With-Blockvariable nicht festgelegt";
        case kErrCannotCreateObject:
            return "Objekterstellung durch ActiveX-Komponente nicht möglich";
        case kErrNoSuchProperty:
            return "Objekt unterstützt diese Eigenschaft oder Methode nicht";
        case kErrDuplicateKey:
            return "Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet";
        case kErrNoCurrentRow:
            return "Entweder BOF oder EOF ist True, oder der aktuelle Datensatz wurde gelöscht. "
                   "Für den angeforderten Vorgang ist ein aktueller Datensatz erforderlich.";
        case kErrUnknownColumn:
            return "Das Objekt konnte in der Auflistung, die dem angeforderten Namen oder "
                   "Ordinalwert "
                   "entspricht, nicht gefunden werden.";
        default:
            return "Anwendungs- oder objektdefinierter Fehler";
    }
}

VbError ToVbError(const std::exception& e) {
    if (const auto* vb = dynamic_cast<const VbError*>(&e)) return *vb;
    if (const auto* fs = dynamic_cast<const std::filesystem::filesystem_error*>(&e))
        return FileError(fs->code().value(), fs->path1().string());
    if (dynamic_cast<const std::bad_alloc*>(&e)) return VbError(kErrOutOfMemory);
    return VbError(kErrInternal, VbError::DescriptionOf(kErrInternal) + ": " + e.what());
}

}  // namespace norvik
