#pragma once
// The files of a medium build, written into a hidden folder of their own inside the medium's
// folder (so that the renames stay on one file system) and put in place only when the build has
// succeeded: until then the folder keeps what it held. Putting several files in place is not
// atomic: the data files go first, then the DTD, Index.xml last, and each earlier file is kept
// aside until the build is over, so that a failure puts every one of them back. A crash in between
// leaves the staging folder marked complete; the next build into the folder puts the rest in place
// before it begins, so that the folder holds one whole medium again.

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_descriptor.h"

namespace norvik {

class StagedMedium {
  public:
    // Makes the staging folder, after dealing with those of killed builds; raises VbError naming
    // the folder when it cannot.
    explicit StagedMedium(const std::string& folder);
    // Puts the earlier files back unless finished, and removes the staging folder; never raises.
    ~StagedMedium();
    StagedMedium(const StagedMedium&) = delete;
    StagedMedium& operator=(const StagedMedium&) = delete;

    // The staging folder, where the build writes every file of its medium.
    const std::filesystem::path& Path() const { return staging_; }
    // The staged files, in the order they go in place.
    std::vector<std::string> Files() const;
    // The data files that the medium now in the folder has (by its Index.xml) and the staged one
    // lacks; Finish removes them.
    std::vector<std::string> EarlierOnly() const;
    // Flushes the staged files and puts each in place; raises VbError naming the file that could
    // not take its place, after every earlier file is back.
    void Publish();
    // Puts the earlier files back after Publish: the folder is as it was.
    void Restore() noexcept;
    // Ends a build that was put in place: removes the earlier medium's data files that the new one
    // lacks (returns their names), the files kept aside and the staging folder.
    std::vector<std::string> Finish() noexcept;

  private:
    // One staged file put in place.
    struct Placed {
        std::string name;              // in the staging folder
        std::filesystem::path target;  // the file it replaced or became
        bool earlier = false;          // an earlier file was kept aside
    };
    // Takes over the staging folder of a killed build.
    StagedMedium(std::filesystem::path folder, std::filesystem::path staging, FileDescriptor held);
    void PlaceOne(const std::string& name);
    void LockFolder();
    void Drop() noexcept;

    std::filesystem::path folder_;
    std::filesystem::path staging_;
    FileDescriptor held_;        // the staging folder, locked while this build lives
    FileDescriptor folderLock_;  // the medium's folder while files go in place
    std::vector<Placed> placed_;
    bool finished_ = false;
};

}  // namespace norvik
