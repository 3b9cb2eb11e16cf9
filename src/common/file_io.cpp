#include "common/file_io.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "common/atomic_file.h"
#include "common/guarded_open.h"
#include "common/text_codec.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

constexpr size_t kFlushSize = 256 * 1024;
// Bytes written between two starts of the disk writes, so that the flush before a file takes the
// target's place waits for the last of them only.
constexpr size_t kWriteBehindSize = 8 * 1024 * 1024;

}  // namespace

VbError FileError(int err, std::string_view path) {
    const int32_t number = ErrorNumberFromErrno(err);
    if (path.empty()) return VbError(number);
    return PathError(number, path);
}

VbError PathError(int32_t number, std::string_view path) {
    return VbError(number, fmt::format("{}: {}", VbError::DescriptionOf(number), path));
}

std::filesystem::path NativePath(std::string_view path) {
    std::string p(path);
    if constexpr (std::filesystem::path::preferred_separator == '/') {
        for (char& c : p)
            if (c == '\\') c = '/';
    }
    return std::filesystem::path(p);
}

std::string WithTrailingSeparator(const std::string& folder) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder;
    return folder + (folder.find('\\') != std::string::npos ? "\\" : "/");
}

std::string AbsolutePath(std::string_view path) {
    const std::filesystem::path native = NativePath(path);
    if (path.empty() || native.is_absolute()) return std::string(path);
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(native, ec);
    return ec ? std::string(path) : absolute.lexically_normal().string();
}

int32_t ErrorNumberFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return kErrFileNotFound;
        case ENOTDIR:
            return kErrPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return kErrPermissionDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kErrDiskFull;
        case EISDIR:
        case ENAMETOOLONG:
            return kErrPathFileAccess;
        default:
            return kErrDeviceIo;
    }
}

std::string ReadFileBytes(std::string_view path, size_t maxBytes) {
    const std::string native = NativePath(path).string();
    const FileDescriptor fd = OpenGuarded(native, O_RDONLY);
    if (!fd) {
        const int err = errno;
        // A missing folder is a path error, a missing file in an existing folder a file error.
        if (err == ENOENT) {
            const auto parent = NativePath(path).parent_path();
            std::error_code ec;
            if (!parent.empty() && !std::filesystem::is_directory(parent, ec))
                throw FileError(ENOTDIR, path);
        }
        throw FileError(err, path);
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) == 0 && S_ISDIR(st.st_mode)) throw FileError(EISDIR, path);
    std::string bytes;
    char chunk[64 * 1024];
    while (bytes.size() < maxBytes) {
        const ssize_t n = ::read(fd.Get(), chunk, std::min(sizeof chunk, maxBytes - bytes.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(errno, path);
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<size_t>(n));
    }
    return bytes;
}

void CopyFileGuarded(std::string_view from, std::string_view to, size_t maxBytes) {
    const std::string bytes = ReadFileBytes(from, maxBytes);
    // A full disk leaves no cut copy under the target's name.
    AtomicFile copy;
    int err = copy.Create(NativePath(to));
    if (err == 0) err = TryWriteAll(copy.File().Get(), bytes);
    if (err == 0) err = copy.Commit();
    if (err != 0) throw FileError(err, to);
}

int TryWriteAll(int fd, std::string_view bytes) noexcept {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return ENOSPC;
        done += static_cast<size_t>(n);
    }
    return 0;
}

void WriteAll(int fd, std::string_view bytes, std::string_view path) {
    if (const int err = TryWriteAll(fd, bytes)) throw FileError(err, path);
}

void EncodedBuffer::AppendConverted(std::string_view utf8) {
    if (utf8_) {
        AppendBytes(utf8);
        return;
    }
    // Windows-1252 takes at most as many bytes as UTF-8.
    size_ += WriteCp1252(utf8, Room(utf8.size() + kTextSlack), replaced_);
}

void EncodedBuffer::Grow(size_t n) {
    // The first lines get room for a whole flush, so that the buffer rarely grows again.
    const size_t capacity = std::max(size_ + n, std::max(2 * capacity_, kFlushSize + 64 * 1024));
    auto data = std::make_unique<char[]>(capacity);
    if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    capacity_ = capacity;
}

TextFileWriter::~TextFileWriter() {
    Abandon();
}

void TextFileWriter::Open(std::string_view path, bool append) {
    Abandon();
    const std::string native = NativePath(path).string();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    FileDescriptor fd = OpenGuarded(native, flags, 0666, FileKinds::Any);
    if (!fd) {
        const int err = errno;
        throw FileError(err == ENOENT ? ENOTDIR : err, path);
    }
    Attach(std::move(fd), path);
}

void TextFileWriter::Attach(FileDescriptor fd, std::string_view path) {
    Abandon();
    file_ = std::move(fd);
    path_ = std::string(path);
    buffer_.Clear();
    buffer_.ResetReplaced();
}

void TextFileWriter::WriteLine(std::string_view utf8) {
    BeginLine().AppendText(utf8);
    EndLine();
}

EncodedBuffer& TextFileWriter::BeginLine() {
    if (!file_) throw VbError(kErrBadFileName);
    lineStart_ = buffer_.Here();
    return buffer_;
}

void TextFileWriter::EndLine() {
    char* p = buffer_.Room(2);
    p[0] = '\r';
    p[1] = '\n';
    buffer_.Advance(2);
    if (buffer_.View().size() >= kFlushSize) Flush();
}

void TextFileWriter::Flush() {
    if (!file_) throw VbError(kErrBadFileName);
    const int err = TryWriteAll(file_.Get(), buffer_.View());
    unsynced_ += buffer_.View().size();
    buffer_.Clear();
    if (err != 0) throw FileError(err, path_);
#ifdef __linux__
    if (unsynced_ >= kWriteBehindSize) {
        // Starts the writes without waiting for them; a file system without it simply waits later.
        ::sync_file_range(file_.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
        unsynced_ = 0;
    }
#endif
}

void TextFileWriter::Close() {
    if (!file_) return;
    try {
        Flush();
    } catch (...) {
        Abandon();
        throw;
    }
    if (const int err = file_.Close()) throw FileError(err, path_);
}

void TextFileWriter::Abandon() noexcept {
    file_.Reset();
    buffer_.Clear();
}

}  // namespace norvik
