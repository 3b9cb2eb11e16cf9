#include "gdpdu/staged_medium.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "check/finding_sink.h"
#include "check/index_reader.h"
#include "common/cp1252_case.h"
#include "common/file_io.h"
#include "common/guarded_open.h"
#include "common/leftover_files.h"
#include "common/vb_error.h"
#include "medium/medium_names.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPrefix = ".norvik-medium-";
// Made inside the staging folder once its medium is complete and goes in place; it holds the
// earlier files kept aside. A staging folder with it is finished, one without it dropped.
constexpr const char* kEarlier = ".norvik-earlier";
constexpr size_t kMaxIndexBytes = size_t{16} << 20;

// fsync that accepts a file system which has nothing to flush (EINVAL); 0 or the errno.
int Sync(const fs::path& path, int flags) noexcept {
    const FileDescriptor fd = OpenGuarded(path.string(), O_RDONLY | flags, 0, FileKinds::Any);
    if (!fd) return errno;
    while (::fsync(fd.Get()) != 0) {
        if (errno == EINTR) continue;
        return errno == EINVAL ? 0 : errno;
    }
    return 0;
}

void SyncFolder(const fs::path& folder) noexcept {
    Sync(folder, O_DIRECTORY);
}

// The staged files in the order they go in place: data files, the DTD, Index.xml last, so that
// the folder never shows a new index beside earlier data files.
std::vector<std::string> StagedNames(const fs::path& staging) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(staging, ec)) {
        const std::string name = entry.path().filename().string();
        // The writers' own temporary files are no part of the medium.
        if (name.starts_with('.') && name.find(".norvik-") != std::string::npos) continue;
        if (entry.is_regular_file(ec) && !entry.is_symlink(ec)) names.push_back(name);
    }
    const auto rank = [](const std::string& name) {
        return name == kIndexFileName ? 2 : name == kGdpduDtdName ? 1 : 0;
    };
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        return rank(a) != rank(b) ? rank(a) < rank(b) : a < b;
    });
    return names;
}

// A data file written through a link inside the folder stays a link, as a plain export keeps it.
fs::path TargetOf(const fs::path& folder, const std::string& name) {
    const fs::path path = folder / name;
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
    const fs::path real = fs::weakly_canonical(path, ec);
    if (!ec && real.parent_path() == fs::weakly_canonical(folder, ec) && !ec) return real;
    return path;
}

// The data files the index names by a plain name, beside it; none when it cannot be read.
std::vector<std::string> IndexedFiles(const fs::path& index) {
    std::vector<std::string> names;
    std::string xml;
    try {
        xml = ReadFileBytes(index.string(), kMaxIndexBytes);
    } catch (const VbError&) {
        return names;
    }
    FindingSink ignored(1);
    const std::optional<IndexModel> model = ReadIndex(xml, kIndexFileName, ignored);
    if (!model) return names;
    for (const IndexTable& table : model->tables)
        if (!table.url.empty() && table.url.find_first_of("/\\") == std::string::npos &&
            table.url != "." && table.url != ".." && !EqualsIgnoreCase(table.url, kIndexFileName) &&
            !EqualsIgnoreCase(table.url, kGdpduDtdName))
            names.push_back(table.url);
    return names;
}

std::vector<std::string> Without(std::vector<std::string> names,
                                 const std::vector<std::string>& kept) {
    std::erase_if(names, [&](const std::string& name) {
        return std::find(kept.begin(), kept.end(), name) != kept.end();
    });
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace

StagedMedium::StagedMedium(const std::string& folder) : folder_(NativePath(folder)) {
    LockFolder();
    // A staging folder that no live build holds was left by one that was killed.
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder_, ec)) {
        if (!entry.path().filename().string().starts_with(kPrefix)) continue;
        FileDescriptor fd(
            ::open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (fs::is_directory(entry.path() / kEarlier, ec)) {
            // Its medium was complete and checked, and partly in place: the rest follows.
            StagedMedium left(folder_, entry.path(), std::move(fd));
            // The lock this build holds, shared: a second one of the same process would wait.
            left.folderLock_ = folderLock_.Duplicate();
            try {
                left.Publish();
                left.Finish();
            } catch (const VbError&) {
                // Left for the next build to try again; this one replaces the medium anyway.
                left.finished_ = true;
            }
        } else {
            fs::remove_all(entry.path(), ec);
        }
    }
    // The index of an earlier version was written beside its target.
    RemoveLeftovers(folder_.string(), kIndexFileName);
    folderLock_.Reset();

    std::string pattern = (folder_ / (std::string(kPrefix) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw FileError(errno, folder);
    staging_ = pattern;
    held_ =
        FileDescriptor(::open(staging_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!held_) {
        const int err = errno;
        fs::remove(staging_, ec);
        throw FileError(err, folder);
    }
    MarkInUse(held_.Get());
}

StagedMedium::StagedMedium(fs::path folder, fs::path staging, FileDescriptor held)
    : folder_(std::move(folder)), staging_(std::move(staging)), held_(std::move(held)) {}

StagedMedium::~StagedMedium() {
    if (!finished_) {
        Restore();
        Drop();
    }
}

void StagedMedium::LockFolder() {
    if (folderLock_) return;
    folderLock_ = FileDescriptor(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderLock_) throw FileError(errno, folder_.string());
    // Two builds into one folder put their files in place one after the other, never mixed.
    while (::flock(folderLock_.Get(), LOCK_EX) != 0 && errno == EINTR) {
    }
}

std::vector<std::string> StagedMedium::Files() const {
    return StagedNames(staging_);
}

std::vector<std::string> StagedMedium::EarlierOnly() const {
    return Without(IndexedFiles(folder_ / kIndexFileName), StagedNames(staging_));
}

void StagedMedium::Publish() {
    LockFolder();
    const std::vector<std::string> names = StagedNames(staging_);
    for (const std::string& name : names)
        if (const int err = Sync(staging_ / name, O_NOFOLLOW)) throw FileError(err, name);
    SyncFolder(staging_);
    if (::mkdir((staging_ / kEarlier).c_str(), 0700) != 0 && errno != EEXIST)
        throw FileError(errno, folder_.string());
    SyncFolder(staging_);
    try {
        for (const std::string& name : names) PlaceOne(name);
    } catch (...) {
        Restore();
        throw;
    }
    SyncFolder(staging_ / kEarlier);
    SyncFolder(folder_);
}

void StagedMedium::PlaceOne(const std::string& name) {
    const fs::path staged = staging_ / name, aside = staging_ / kEarlier / name;
    Placed placed{name, TargetOf(folder_, name)};
    struct stat st {};
    if (::lstat(placed.target.c_str(), &st) == 0) {
        // Only a file is replaced; a folder or a device in its place stays.
        if (!S_ISREG(st.st_mode))
            throw FileError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, placed.target.string());
        // The replacement keeps the permissions the user gave the earlier file.
        if (::chmod(staged.c_str(), st.st_mode & 07777) != 0) {
            // The default permissions are a fair fallback.
        }
        // A file system without hard links (FAT on a stick) sets the earlier file aside instead,
        // leaving its name free for a moment.
        if (::link(placed.target.c_str(), aside.c_str()) != 0 && errno != EEXIST &&
            ::rename(placed.target.c_str(), aside.c_str()) != 0)
            throw FileError(errno, placed.target.string());
        placed.earlier = true;
    }
    placed_.push_back(placed);
    if (::rename(staged.c_str(), placed.target.c_str()) != 0)
        throw FileError(errno, placed.target.string());
}

void StagedMedium::Restore() noexcept {
    if (placed_.empty()) return;
    for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
        if (it->earlier)
            ::rename((staging_ / kEarlier / it->name).c_str(), it->target.c_str());
        else
            ::unlink(it->target.c_str());
    }
    placed_.clear();
    SyncFolder(folder_);
    // Empty once everything is back; then the staging folder is no finished medium any more.
    ::rmdir((staging_ / kEarlier).c_str());
}

std::vector<std::string> StagedMedium::Finish() noexcept {
    // The earlier index is aside now; its data files that the new medium lacks would lie in the
    // folder undescribed, still holding the earlier period's data. The new medium is the one its
    // index names, also the part a killed build had put in place.
    const std::vector<std::string> kept = IndexedFiles(folder_ / kIndexFileName);
    std::vector<std::string> gone;
    if (!kept.empty()) gone = Without(IndexedFiles(staging_ / kEarlier / kIndexFileName), kept);
    std::erase_if(gone, [&](const std::string& name) {
        struct stat st {};
        const fs::path path = folder_ / name;
        return ::lstat(path.c_str(), &st) != 0 || (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) ||
               ::unlink(path.c_str()) != 0;
    });
    placed_.clear();
    Drop();
    SyncFolder(folder_);
    finished_ = true;
    return gone;
}

void StagedMedium::Drop() noexcept {
    std::error_code ec;
    if (!staging_.empty()) fs::remove_all(staging_, ec);
    held_.Reset();
    folderLock_.Reset();
}

}  // namespace norvik
