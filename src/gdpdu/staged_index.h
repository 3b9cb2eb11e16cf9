#pragma once
// Index.xml of a build, written under a temporary name beside its place and put in place only at
// the end, so that the folder never shows the index of a build that failed.

#include <filesystem>
#include <string>

namespace norvik {

class StagedIndex {
  public:
    // The index of a medium in this folder; nothing is touched yet.
    explicit StagedIndex(const std::string& folder);
    // Removes the temporary file unless it was published.
    ~StagedIndex();
    StagedIndex(const StagedIndex&) = delete;
    StagedIndex& operator=(const StagedIndex&) = delete;

    // The name, in the folder, to write the index under.
    const std::string& TemporaryName() const { return temporaryName_; }
    // The path of Index.xml.
    std::string IndexPath() const;
    // Puts the written file in place of Index.xml; raises VbError naming Index.xml when it cannot.
    void Publish();
    // Drops the temporary file and an Index.xml of an earlier build, which would describe files
    // this build has replaced; true when there was one. Raises VbError when it cannot be removed.
    bool Withdraw();

  private:
    void RemoveTemporary() noexcept;

    std::filesystem::path folder_;
    std::string temporaryName_;
    bool published_ = false;
};

}  // namespace norvik
