#pragma once
// The records of a data file, read in large blocks into one buffer of fixed size: memory stays
// the same whatever the lines. A record longer than kMaxRecordBytes is passed over to its end.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/contained_file.h"

namespace norvik {

// The longest record checked, far above any real one: longer ones are only measured.
inline constexpr size_t kMaxRecordBytes = size_t{1} << 20;

// What ended a record in the file.
enum class RecordEnd { Delimiter, CrLf, Lf, Cr, EndOfFile };

class RecordReader {
  public:
    // Records end with delimiter; a line break as delimiter ("\r\n", "\n" or "\r") ends them at
    // every line break, telling which one. recordLength > 0: records of that many bytes without
    // a delimiter, at most kMaxRecordBytes. utf16: the file is UTF-16 (little-endian unless its
    // byte order mark says otherwise) and is read as UTF-8; what is no UTF-16 becomes bytes that
    // are no UTF-8.
    RecordReader(std::string delimiter, size_t recordLength, bool utf16 = false);
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // Reads the opened file after its first skipBytes; false with the system's reason in error.
    bool Open(FileDescriptor file, uint64_t skipBytes, std::string& error);
    // The next record without its end, valid until the next call; false after the last one. An
    // overlong record comes empty, with its length in Overlong().
    bool Next(std::string_view& record, RecordEnd& end);
    // The length of the record just read when it was longer than kMaxRecordBytes, else 0.
    uint64_t Overlong() const { return overlong_; }
    // True when reading stopped on a read error rather than at the end of the file.
    bool Failed() const { return failed_; }

  private:
    bool FindLineBreak(std::string_view& record, RecordEnd& end);
    bool FindDelimiter(std::string_view& record, RecordEnd& end);
    // Makes a record found whole but too long an overlong one; true.
    bool Measured(std::string_view& record);
    // Passes over the overlong record's bytes; true at its end.
    bool Skip(RecordEnd& end);
    // Keeps the unread bytes, reads more after them; false when nothing more came.
    bool Fill();
    // Reads into the free space of the buffer, UTF-16 decoded to UTF-8 when so declared; the
    // bytes it put there, 0 at the end, -1 on an error.
    ssize_t ReadMore();

    std::string delimiter_;
    size_t recordLength_;
    bool lineBreaks_;
    FileDescriptor file_;
    std::vector<char> buffer_;
    size_t begin_ = 0;                         // first unread byte
    size_t end_ = 0;                           // end of the bytes read
    size_t nextLf_ = static_cast<size_t>(-1);  // the next LF from begin_, or end_ for none
    bool eof_ = false;
    bool failed_ = false;
    bool skipping_ = false;  // inside an overlong record
    uint64_t overlong_ = 0;  // its bytes so far
    bool utf16_;
    bool bigEndian_ = false;
    bool started_ = false;            // the byte order mark has been looked for
    std::vector<unsigned char> raw_;  // UTF-16 bytes read, not yet decoded
    size_t rawKept_ = 0;              // of them carried over: an odd byte, half a pair
};

}  // namespace norvik
