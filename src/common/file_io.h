#pragma once
// File access with classic error numbers: paths from definitions, whole-file reads, text output.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "common/file_descriptor.h"
#include "common/vb_error.h"

namespace norvik {

// A path as written in a definition, profile or setting; "\" counts as a separator here.
std::filesystem::path NativePath(std::string_view path);
// The folder with a separator at its end: kept when it ends with "\" or "/", else the folder's own
// style ("\" when it holds one, else "/") is added.
std::string WithTrailingSeparator(const std::string& folder);
// The path made absolute against the working folder, so that it names the same file from anywhere
// later; an absolute path comes back unchanged.
std::string AbsolutePath(std::string_view path);
// The classic error number for an errno value of a failed file operation.
int32_t ErrorNumberFromErrno(int err);
// The error for a failed file operation: the classic number of errno and a description naming the
// path.
VbError FileError(int err, std::string_view path);
// The error of this classic number with a description naming the path ("Pfad nicht gefunden: …").
VbError PathError(int32_t number, std::string_view path);
// Reads at most maxBytes of a file; raises VbError (53, 70, 75, 76 …) when it cannot be read.
std::string ReadFileBytes(std::string_view path, size_t maxBytes);
// Copies a regular file of at most maxBytes over the destination as an AtomicFile (the source
// opened through OpenGuarded); raises VbError naming the file that failed, leaving the destination
// as it was.
void CopyFileGuarded(std::string_view from, std::string_view to, size_t maxBytes = 64 << 20);
// Writes all bytes to a descriptor, again after EINTR and short writes; 0 or the errno of the
// failure (ENOSPC when nothing could be written).
int TryWriteAll(int fd, std::string_view bytes) noexcept;
// TryWriteAll that raises FileError naming the path.
void WriteAll(int fd, std::string_view bytes, std::string_view path);
// Calls fn for each line of bytes; lines end with CR LF, LF or CR, the ending is not passed.
template <typename Fn>
void ForEachLine(std::string_view bytes, Fn&& fn) {
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        fn(bytes.substr(start, end - start));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
            bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

// The bytes of a text file in the making: UTF-8 text goes in converted to the file's encoding
// (Windows-1252, or UTF-8 as it is), bytes of ASCII as they are.
class EncodedBuffer {
  public:
    // Where the buffer stood, to go back to.
    struct Mark {
        size_t size = 0;
        size_t replaced = 0;
    };

    // Takes the following text as UTF-8 instead of converting it to Windows-1252.
    void SetUtf8(bool utf8) { utf8_ = utf8; }
    // Appends UTF-8 text in the file's encoding.
    void AppendText(std::string_view utf8) {
        // Separators and qualifiers are mostly one ASCII character.
        if (utf8.size() == 1 && static_cast<unsigned char>(utf8[0]) < 0x80)
            Push(utf8[0]);
        else
            AppendConverted(utf8);
    }
    // Appends bytes as they are: ASCII text such as digits, or text already in the encoding.
    void AppendBytes(std::string_view bytes) {
        if (bytes.empty()) return;
        std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
        size_ += bytes.size();
    }
    // Appends one byte.
    void Push(char byte) { *Room(1) = byte, ++size_; }
    // Room for n more bytes at the end: written there, they count after Advance(n).
    char* Room(size_t n) {
        if (capacity_ - size_ < n) Grow(n);
        return data_.get() + size_;
    }
    // Counts n bytes written at Room().
    void Advance(size_t n) { size_ += n; }
    // The bytes so far.
    std::string_view View() const { return {data_.get(), size_}; }
    // Empties the buffer, keeping its memory and the count of replaced characters.
    void Clear() { size_ = 0; }
    // Where the buffer stands now.
    Mark Here() const { return {size_, replaced_}; }
    // Drops what was appended since the mark.
    void Rewind(Mark mark) { size_ = mark.size, replaced_ = mark.replaced; }
    // Characters that Windows-1252 lacks and that were written as "?".
    size_t ReplacedCharacters() const { return replaced_; }
    // Forgets the count of replaced characters.
    void ResetReplaced() { replaced_ = 0; }

  private:
    void AppendConverted(std::string_view utf8);
    void Grow(size_t n);

    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
    size_t replaced_ = 0;
    bool utf8_ = false;
};

// Writes lines of UTF-8 text as Windows-1252 with CR LF, buffered; errors raise VbError.
class TextFileWriter {
  public:
    TextFileWriter() = default;
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Opens the file: emptied and created, or appended to (created when missing).
    void Open(std::string_view path, bool append);
    // Writes to a descriptor opened elsewhere, which it then owns; path names it in errors.
    void Attach(FileDescriptor fd, std::string_view path);
    // True between Open and Close.
    bool IsOpen() const { return static_cast<bool>(file_); }
    // Writes the text and CR LF.
    void WriteLine(std::string_view utf8);
    // Begins a line built in place: its text goes into the returned buffer, then EndLine or
    // DropLine.
    EncodedBuffer& BeginLine();
    // Ends the line begun with CR LF.
    void EndLine();
    // Takes back what was appended since BeginLine.
    void DropLine() { buffer_.Rewind(lineStart_); }
    // Writes the following lines in UTF-8 instead of Windows-1252.
    void SetUtf8(bool utf8) { buffer_.SetUtf8(utf8); }
    // Writes the buffered lines out; raises VbError when they could not be written.
    void Flush();
    // Writes the buffer out and closes the file; raises VbError when the data could not be written.
    void Close();
    // Closes without reporting errors (the error path).
    void Abandon() noexcept;
    // Characters that Windows-1252 lacks and that were written as "?".
    size_t ReplacedCharacters() const { return buffer_.ReplacedCharacters(); }

  private:
    FileDescriptor file_;
    std::string path_;
    EncodedBuffer buffer_;
    EncodedBuffer::Mark lineStart_;
    size_t unsynced_ = 0;  // bytes written since the disk writes were last started
};

}  // namespace norvik
