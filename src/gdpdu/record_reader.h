#pragma once
// The records of a data file, read in large blocks into one reused buffer: memory stays the size
// of the longest record, whatever the number of lines.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace norvik {

// What ended a record in the file.
enum class RecordEnd { Delimiter, CrLf, Lf, Cr, EndOfFile };

class RecordReader {
  public:
    // Records end with delimiter; a line break as delimiter ("\r\n", "\n" or "\r") ends them at
    // every line break, telling which one. recordLength > 0: records of that many bytes without
    // a delimiter.
    RecordReader(std::string delimiter, size_t recordLength);
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // Opens the file and skips its first skipBytes; false with the system's reason in error.
    bool Open(const std::filesystem::path& path, uint64_t skipBytes, std::string& error);
    // The next record without its end, valid until the next call; false after the last one.
    bool Next(std::string_view& record, RecordEnd& end);
    // True when reading stopped on a read error rather than at the end of the file.
    bool Failed() const { return failed_; }

  private:
    bool FindLineBreak(std::string_view& record, RecordEnd& end);
    bool FindDelimiter(std::string_view& record, RecordEnd& end);
    // Keeps the unread bytes, reads more after them; false when nothing more came.
    bool Fill();

    std::string delimiter_;
    size_t recordLength_;
    bool lineBreaks_;
    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    size_t begin_ = 0;                         // first unread byte
    size_t end_ = 0;                           // end of the bytes read
    size_t nextLf_ = static_cast<size_t>(-1);  // the next LF from begin_, or end_ for none
    bool eof_ = false;
    bool failed_ = false;
};

}  // namespace norvik
