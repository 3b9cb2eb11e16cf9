#pragma once
// The output file of an export run. It is written under an exclusive lock, so that two runs on the
// same file never mix their lines, and so that a cancelled run leaves the earlier file as it was:
// a replaced file is an AtomicFile that takes the place of the target when the run completes; an
// appended file is cut back to its earlier length when it does not.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "common/atomic_file.h"
#include "common/file_descriptor.h"
#include "common/file_io.h"

namespace norvik {

class OutputFile {
  public:
    OutputFile() = default;
    // An output file still open is discarded: only a completed run changes the target.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens the file for replacing or appending; raises VbError when it cannot be opened or
    // another run writes it.
    void Open(std::string_view path, bool append);
    // True between Open and the end of the run.
    bool IsOpen() const { return state_ != State::Closed; }
    // True when the run's first line is the file's first line (replaced, or appended to a missing
    // or empty file).
    bool StartsFile() const { return startsFile_; }
    // Writes the text and CR LF.
    void WriteLine(std::string_view utf8) { writer_.WriteLine(utf8); }
    // Begins a line built in place in the file's encoding; then EndLine or DropLine.
    EncodedBuffer& BeginLine() { return writer_.BeginLine(); }
    // Ends the line begun with CR LF.
    void EndLine() { writer_.EndLine(); }
    // Takes back the line begun.
    void DropLine() { writer_.DropLine(); }
    // Writes the file in UTF-8 instead of Windows-1252.
    void SetUtf8(bool utf8) { writer_.SetUtf8(utf8); }
    // The run completed: the file takes its place. Raises VbError when the data could not be
    // written or the file vanished during the run.
    void Commit();
    // The run failed or was cancelled: the file is left as it was before the run. False when an
    // appended file could not be cut back to its earlier length.
    bool Discard() noexcept;
    // Why the replacement lacks the earlier file's permissions; empty when it has them.
    const std::string& PermissionsLost() const { return permissionsLost_; }
    // Characters that Windows-1252 lacks and that were written as "?".
    size_t ReplacedCharacters() const { return writer_.ReplacedCharacters(); }

  private:
    enum class State { Closed, Replace, Append, Direct };
    void LockTarget();
    void OpenTemporary();
    void CheckTargetStillThere() const;
    void CloseLock() noexcept;

    State state_ = State::Closed;
    std::string shown_;     // the path as given, for messages
    std::string target_;    // the file in the file system (links resolved)
    AtomicFile temporary_;  // Replace: the new file beside the target
    FileDescriptor lock_;   // the target, locked
    bool createdTarget_ = false;
    bool startsFile_ = false;
    off_t lengthBefore_ = 0;  // Append: where the run's lines begin
    mode_t modeBefore_ = 0;   // the earlier file's permissions, kept by its replacement
    std::string permissionsLost_;
    TextFileWriter writer_;
};

// The message when another run writes the same output file.
inline const char* const kOutputBusyMessage =
    "Die Ausgabedatei wird gerade von einem anderen Export geschrieben. Bitte starten Sie den "
    "Export erneut, wenn dieser beendet ist: ";
// The message when the output file or its folder vanished during the run.
inline const char* const kOutputVanishedMessage =
    "Die Ausgabedatei oder ihr Ordner wurde während des Exports entfernt; die Daten sind nicht "
    "gespeichert: ";

}  // namespace norvik
