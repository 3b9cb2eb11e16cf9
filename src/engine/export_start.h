#pragma once
// The checks and hand-over before an interactive export, shared by the dialog and the command line.

#include <functional>
#include <optional>
#include <string>

#include "engine/tq_export.h"

namespace norvik {

// What the user chose for one export.
struct ExportChoice {
    std::optional<bool> protocol = true;  // write a protocol entry; empty: keep the stored choice
    bool append = false;                  // append to the output file
    std::string condition;                // the selection's SQL condition, blanks kept
    std::string fileName;                 // the output file
    // The bounds of the date criterion the user chose, for the run's DatumVon and DatumBis.
    std::optional<DateTime> periodFrom, periodTo;
};

// The message shown when an empty selection is not allowed.
inline const char* const kNeedSelectionMessage = "Bitte geben Sie Selektionskriterien an!";
// The message shown when the output file's folder does not exist.
inline const char* const kPathMissingMessage = "Der angegebene Pfad existiert nicht!";

// How a run waits for its statement's first row (a count, a sort): work is done in place unless a
// host that keeps its windows answering has installed a waiter, which runs work on another thread
// and returns when it is done.
using StatementWaiter = std::function<void(const std::function<void()>& work)>;
// Installs the waiter (empty: in place) and returns the one before.
StatementWaiter SetStatementWaiter(StatementWaiter waiter);
// Runs work through the waiter; what work throws comes out here.
void WaitForStatement(const std::function<void()>& work);

// The folder of a path: the text before its last "\" or "/"; a path without one comes back as is.
std::string GetPath(const std::string& path);

// Enters an export that failed before it began into the protocol, when it is on (the choice made,
// else the stored one), so that the audit trail shows it: an entry as a run makes, whose line is
// "Fehler: " with the number and the description.
void ProtocolFailedStart(TQExport& engine, std::optional<bool> protocol,
                         const std::string& fileName, int32_t number,
                         const std::string& description);

// Stores the protocol choice (when one was made) and the append switch, checks the selection and
// the output folder (showing the message and returning false when one fails; a missing folder is
// entered into the protocol), then sets Dateiname and SQLWhere. Raises VbError when the engine
// holds no definition.
bool PrepareExport(TQExport& engine, const ExportChoice& choice);

}  // namespace norvik
