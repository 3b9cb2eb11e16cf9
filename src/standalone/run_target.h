#pragma once
// Where `run` writes: the file named by --out (against the working folder, as a shell user
// expects), the standard output (--out -), or the definition's own file.

#include <filesystem>
#include <iosfwd>
#include <string>

#include "definition/tq_model.h"
#include "host/host_services.h"

namespace norvik::standalone {

// A private temporary file for an export to the standard output; removed with its folder.
class StdoutFile {
  public:
    StdoutFile();
    ~StdoutFile();
    StdoutFile(const StdoutFile&) = delete;
    StdoutFile& operator=(const StdoutFile&) = delete;
    // The file the run writes.
    std::string Path() const { return (folder_ / "export.txt").string(); }
    // Copies the file's bytes to the stream; nothing when the run wrote no file.
    void CopyTo(std::ostream& stream) const;

  private:
    std::filesystem::path folder_;
};

// The output file of a run without --out: the definition's Dateiname (the remembered one of the
// services' per-user store when the run remembers) made absolute; note gets what the command says
// about a remembered choice. Raises CommandRefused when the definition names no file.
std::string DefinitionTarget(HostServices& services, const TQExportDef& def, bool remember,
                             std::string& note);

// The message naming the folder and what to do when the file's folder does not exist, else empty.
std::string MissingFolderOf(const std::string& file);

}  // namespace norvik::standalone
