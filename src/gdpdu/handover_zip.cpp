#include "gdpdu/handover_zip.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "check/handover_check.h"
#include "common/atomic_file.h"
#include "common/file_io.h"
#include "common/guarded_open.h"
#include "medium/medium_names.h"
#include "medium/zip_errors.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

// 1980-01-01 00:00:00, the first time a ZIP can state, in DOS form.
constexpr zip_uint16_t kDosTime = 0;
constexpr zip_uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
// A regular file, rw-r--r--, in the upper half as Unix tools read it.
constexpr zip_uint32_t kFileAttributes = (0100644u) << 16;

// The new archive's bytes go to a descriptor of ours, so that the temporary file stays locked
// (and so no leftover to be removed) while libzip writes it.
struct Target {
    int fd = -1;
    uint64_t offset = 0;
    uint64_t length = 0;
    int writeErrno = 0;
    zip_error_t error;
};

zip_int64_t TargetCall(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    Target& t = *static_cast<Target*>(state);
    switch (cmd) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_WRITE,
                ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_SEEK_WRITE,
                ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
        case ZIP_SOURCE_STAT:
            // Nothing there yet, as libzip's own file source says it: a new archive.
            zip_error_set(&t.error, ZIP_ER_READ, ENOENT);
            return -1;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&t.error, data, len);
        case ZIP_SOURCE_FREE:
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_REMOVE:
            return 0;
        case ZIP_SOURCE_BEGIN_WRITE:
            t.offset = t.length = 0;
            return 0;
        case ZIP_SOURCE_WRITE: {
            const char* bytes = static_cast<const char*>(data);
            for (zip_uint64_t done = 0; done < len;) {
                const ssize_t n =
                    ::pwrite(t.fd, bytes + done, len - done, static_cast<off_t>(t.offset + done));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) {
                    t.writeErrno = n < 0 ? errno : ENOSPC;
                    zip_error_set(&t.error, ZIP_ER_WRITE, t.writeErrno);
                    return -1;
                }
                done += static_cast<zip_uint64_t>(n);
            }
            t.offset += len;
            t.length = std::max(t.length, t.offset);
            return static_cast<zip_int64_t>(len);
        }
        case ZIP_SOURCE_SEEK_WRITE: {
            const zip_int64_t at =
                zip_source_seek_compute_offset(t.offset, t.length, data, len, &t.error);
            if (at < 0) return -1;
            t.offset = static_cast<uint64_t>(at);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE:
            return static_cast<zip_int64_t>(t.offset);
        case ZIP_SOURCE_COMMIT_WRITE:
            if (::ftruncate(t.fd, static_cast<off_t>(t.length)) != 0 || ::fsync(t.fd) != 0) {
                t.writeErrno = errno;
                zip_error_set(&t.error, ZIP_ER_WRITE, t.writeErrno);
                return -1;
            }
            return 0;
        default:
            zip_error_set(&t.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

void Progress(zip_t*, double share, void* events) {
    static_cast<PackingEvents*>(events)->Packed(static_cast<int16_t>(share * 100));
}

int Cancel(zip_t*, void* events) {
    return static_cast<PackingEvents*>(events)->StopRequested() ? 1 : 0;
}

// The archive being written; discarded unless closed.
class NewArchive {
  public:
    NewArchive(Target& target, const std::string& shown) : shown_(shown) {
        zip_error_init(&target.error);
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_function_create(TargetCall, &target, &error);
        if (source) archive_ = zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!archive_) {
            if (source) zip_source_free(source);
            const std::string text = ZipErrorText(zip_error_code_zip(&error), 0);
            zip_error_fini(&error);
            throw Failure(text);
        }
        zip_error_fini(&error);
    }
    ~NewArchive() {
        if (archive_) zip_discard(archive_);
    }
    NewArchive(const NewArchive&) = delete;
    NewArchive& operator=(const NewArchive&) = delete;

    // Adds an entry with the fixed time and attributes; the source is the archive's from then on.
    void Add(const std::string& name, zip_source_t* source) {
        if (!source) throw Failure(LastError());
        const zip_int64_t index = zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            throw Failure(LastError());
        }
        const auto i = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive_, i, ZIP_CM_DEFLATE, 0) != 0 ||
            zip_file_set_dostime(archive_, i, kDosTime, kDosDate, 0) != 0 ||
            zip_file_set_external_attributes(archive_, i, 0, ZIP_OPSYS_UNIX, kFileAttributes) != 0)
            throw Failure(LastError());
    }
    // A file of the folder, read when the archive is written.
    void AddFile(const fs::path& folder, const std::string& name) {
        const std::string path = (folder / name).string();
        FileDescriptor fd = OpenGuarded(path, O_RDONLY | O_CLOEXEC);
        if (!fd) throw FileError(errno, path);
        std::FILE* file = ::fdopen(fd.Get(), "rb");
        if (!file) throw FileError(errno, path);
        fd.Release();
        zip_source_t* source = zip_source_filep(archive_, file, 0, -1);
        if (!source) std::fclose(file);
        Add(name, source);
    }
    // Bytes that live until the archive is written.
    void AddBytes(const std::string& name, const std::string& bytes) {
        Add(name, zip_source_buffer(archive_, bytes.data(), bytes.size(), 0));
    }
    void Watch(PackingEvents* events) {
        if (!events) return;
        zip_register_progress_callback_with_state(archive_, 0.01, Progress, nullptr, events);
        zip_register_cancel_callback_with_state(archive_, Cancel, nullptr, events);
    }
    // Writes the archive; raises VbError when it cannot.
    void Close(const Target& target) {
        if (zip_close(archive_) == 0) {
            archive_ = nullptr;
            return;
        }
        if (target.writeErrno != 0) throw FileError(target.writeErrno, shown_);
        throw Failure(LastError());
    }

  private:
    std::string LastError() const {
        const zip_error_t* error = zip_get_error(archive_);
        return ZipErrorText(zip_error_code_zip(error), zip_error_code_system(error));
    }
    VbError Failure(const std::string& text) const {
        return VbError(kErrDeviceIo, fmt::format("Die ZIP-Datei {} ließ sich nicht schreiben: {}.",
                                                 shown_, text));
    }

    std::string shown_;
    zip_t* archive_ = nullptr;
};

}  // namespace

fs::path HandoverZipPath(const std::string& folder) {
    std::error_code ec;
    fs::path path = fs::absolute(NativePath(folder), ec).lexically_normal();
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    if (!path.has_filename() || path.filename() == "..")
        throw VbError(kErrBadFileName,
                      "Neben dem Ordner " + folder + " lässt sich keine ZIP-Datei anlegen.");
    return path.parent_path() / (path.filename().string() + ".zip");
}

std::vector<std::string> PackageOrder(std::vector<std::string> dataFiles) {
    std::sort(dataFiles.begin(), dataFiles.end());
    dataFiles.erase(std::unique(dataFiles.begin(), dataFiles.end()), dataFiles.end());
    std::vector<std::string> order = {kIndexFileName, kGdpduDtdName};
    order.insert(order.end(), dataFiles.begin(), dataFiles.end());
    return order;
}

std::vector<PackedFile> HashMediumFiles(const fs::path& folder,
                                        const std::vector<std::string>& names) {
    std::vector<PackedFile> files;
    for (const std::string& name : names) {
        PackedFile file;
        file.sum = HashFile((folder / name).string(), file.size);
        file.sum.name = name;
        files.push_back(std::move(file));
    }
    return files;
}

void WriteHandoverZip(const fs::path& folder, const std::vector<PackedFile>& files,
                      const std::string& record, const fs::path& zip, PackingEvents* events) {
    AtomicFile file;
    WriteHandoverZip(folder, files, record, zip, file, events);
    if (const int err = file.Commit(); err != 0) throw FileError(err, zip.string());
}

void WriteHandoverZip(const fs::path& folder, const std::vector<PackedFile>& files,
                      const std::string& record, const fs::path& zip, AtomicFile& file,
                      PackingEvents* events) {
    const std::string shown = zip.string();
    std::vector<HashEntry> sums;
    for (const PackedFile& packed : files) sums.push_back(packed.sum);
    Sha256 recordSum;
    recordSum.Update(record);
    sums.push_back({kHandoverRecordName, recordSum.HexDigest()});
    const std::string list = HashListText(sums);

    if (const int err = file.Create(zip); err != 0) throw FileError(err, shown);
    Target target;
    target.fd = file.File().Get();
    try {
        {
            NewArchive archive(target, shown);
            for (const PackedFile& packed : files) archive.AddFile(folder, packed.sum.name);
            archive.AddBytes(kHandoverRecordName, record);
            archive.AddBytes(kHashListName, list);
            archive.Watch(events);
            archive.Close(target);
        }
        // Read back as an auditor would: the sums of what was packed, not of what was meant.
        std::vector<HashEntry> read;
        const std::vector<MediumFinding> findings =
            CheckHandoverSums(file.TemporaryPath(), {}, &read);
        if (!findings.empty() || read.size() != sums.size())
            throw VbError(kErrDeviceIo,
                          fmt::format("Die ZIP-Datei {} stimmt nach dem Schreiben nicht mit den "
                                      "Dateien des Datenträgers überein{}; wurde eine Datei "
                                      "während des Packens geändert?",
                                      shown, findings.empty() ? "" : ": " + findings.front().text));
        for (size_t i = 0; i < sums.size(); ++i)
            if (read[i].name != sums[i].name || read[i].hex != sums[i].hex)
                throw VbError(kErrDeviceIo,
                              fmt::format("Die Datei {} wurde während des Packens geändert; die "
                                          "ZIP-Datei {} wurde nicht gespeichert.",
                                          sums[i].name, shown));
    } catch (...) {
        file.Discard();
        throw;
    }
}

}  // namespace norvik
