#include "gdpdu/staged_index.h"

#include <unistd.h>

#include <cerrno>

#include "common/file_io.h"
#include "gdpdu/tq_xml.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

}  // namespace

StagedIndex::StagedIndex(const std::string& folder)
    : folder_(NativePath(folder)), createError_(file_.Create(folder_ / kIndexFileName)) {}

std::string StagedIndex::IndexPath() const {
    return (folder_ / kIndexFileName).string();
}

void StagedIndex::Publish() {
    // TQXML wrote the file through a descriptor of its own; flushing this one flushes the file.
    const int err = createError_ != 0 ? createError_ : file_.Commit();
    if (err != 0) throw FileError(err, IndexPath());
}

bool StagedIndex::Withdraw() {
    file_.Discard();
    const fs::path index = folder_ / kIndexFileName;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(index, ec);
    // A folder in its place is no index; it is left as it stands.
    if (!fs::is_regular_file(status) && !fs::is_symlink(status)) return false;
    if (::unlink(index.c_str()) != 0) throw FileError(errno, index.string());
    return true;
}

}  // namespace norvik
