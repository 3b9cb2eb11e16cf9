#include "gdpdu/staged_index.h"

#include <fmt/format.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "common/file_io.h"
#include "common/leftover_files.h"
#include "gdpdu/tq_xml.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

}  // namespace

StagedIndex::StagedIndex(const std::string& folder)
    : folder_(NativePath(folder)), temporaryName_(TemporaryNameFor(kIndexFileName)) {
    RemoveLeftovers(folder_.string(), kIndexFileName);
}

StagedIndex::~StagedIndex() {
    if (!published_) RemoveTemporary();
}

std::string StagedIndex::IndexPath() const {
    return (folder_ / kIndexFileName).string();
}

void StagedIndex::Publish() {
    const fs::path index = folder_ / kIndexFileName;
    if (::rename((folder_ / temporaryName_).c_str(), index.c_str()) != 0)
        throw FileError(errno, index.string());
    published_ = true;
}

bool StagedIndex::Withdraw() {
    RemoveTemporary();
    const fs::path index = folder_ / kIndexFileName;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(index, ec);
    // A folder in its place is no index; it is left as it stands.
    if (!fs::is_regular_file(status) && !fs::is_symlink(status)) return false;
    if (::unlink(index.c_str()) != 0) throw FileError(errno, index.string());
    return true;
}

void StagedIndex::RemoveTemporary() noexcept {
    std::error_code ec;
    fs::remove(folder_ / temporaryName_, ec);
}

}  // namespace norvik
