#pragma once
// Index.xml of a build, written as an AtomicFile and put in place only at the end, so that the
// folder never shows the index of a build that failed.

#include <filesystem>
#include <string>

#include "common/atomic_file.h"

namespace norvik {

class StagedIndex {
  public:
    // The index of a medium in this folder, begun as an empty temporary file (when the folder
    // takes none, writing under TemporaryName fails and says why).
    explicit StagedIndex(const std::string& folder);
    StagedIndex(const StagedIndex&) = delete;
    StagedIndex& operator=(const StagedIndex&) = delete;

    // The name, in the folder, to write the index under.
    std::string TemporaryName() const { return file_.TemporaryPath().filename().string(); }
    // The path of Index.xml.
    std::string IndexPath() const;
    // Puts the written file in place of Index.xml; raises VbError naming Index.xml when it cannot.
    void Publish();
    // Drops the temporary file and an Index.xml of an earlier build, which would describe files
    // this build has replaced; true when there was one. Raises VbError when it cannot be removed.
    bool Withdraw();

  private:
    std::filesystem::path folder_;
    AtomicFile file_;  // removed unless published
    int createError_ = 0;
};

}  // namespace norvik
