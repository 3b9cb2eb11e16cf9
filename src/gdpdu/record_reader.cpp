#include "gdpdu/record_reader.h"

#include <cerrno>
#include <cstring>

namespace norvik {
namespace {

constexpr size_t kBlockSize = 1 << 20;
constexpr size_t kUnknown = static_cast<size_t>(-1);

bool IsLineBreak(std::string_view delimiter) {
    return delimiter == "\r\n" || delimiter == "\n" || delimiter == "\r";
}

}  // namespace

RecordReader::RecordReader(std::string delimiter, size_t recordLength)
    : delimiter_(std::move(delimiter)),
      recordLength_(recordLength),
      lineBreaks_(recordLength == 0 && IsLineBreak(delimiter_)),
      buffer_(kBlockSize) {}

RecordReader::~RecordReader() {
    if (file_) std::fclose(file_);
}

bool RecordReader::Open(const std::filesystem::path& path, uint64_t skipBytes, std::string& error) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_ || (skipBytes > 0 && fseeko(file_, static_cast<off_t>(skipBytes), SEEK_SET) != 0)) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool RecordReader::Next(std::string_view& record, RecordEnd& end) {
    for (;;) {
        if (recordLength_ > 0 && end_ - begin_ >= recordLength_) {
            record = std::string_view(buffer_.data() + begin_, recordLength_);
            begin_ += recordLength_;
            end = RecordEnd::Delimiter;
            return true;
        }
        if (recordLength_ == 0 &&
            (lineBreaks_ ? FindLineBreak(record, end) : FindDelimiter(record, end)))
            return true;
        if (!eof_) {
            Fill();
            continue;
        }
        // The last record needs no end of its own.
        if (begin_ == end_) return false;
        record = std::string_view(buffer_.data() + begin_, end_ - begin_);
        begin_ = end_;
        end = RecordEnd::EndOfFile;
        return true;
    }
}

bool RecordReader::FindLineBreak(std::string_view& record, RecordEnd& end) {
    const char* const data = buffer_.data();
    // The next LF is kept, so that a file of CR line ends is not searched to its end each line.
    if (nextLf_ < begin_ || nextLf_ > end_) {
        const void* lf = std::memchr(data + begin_, '\n', end_ - begin_);
        nextLf_ = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) : end_;
    }
    const void* cr = std::memchr(data + begin_, '\r', nextLf_ - begin_);
    size_t at = cr ? static_cast<size_t>(static_cast<const char*>(cr) - data) : nextLf_;
    if (at == end_) return false;
    size_t next = at + 1;
    if (data[at] == '\n') {
        end = RecordEnd::Lf;
    } else if (at + 1 < end_) {
        end = data[at + 1] == '\n' ? RecordEnd::CrLf : RecordEnd::Cr;
        if (end == RecordEnd::CrLf) ++next;
    } else if (!eof_) {
        return false;  // a LF may follow in the next block
    } else {
        end = RecordEnd::Cr;
    }
    record = std::string_view(data + begin_, at - begin_);
    begin_ = next;
    return true;
}

bool RecordReader::FindDelimiter(std::string_view& record, RecordEnd& end) {
    const std::string_view unread(buffer_.data() + begin_, end_ - begin_);
    const size_t at = unread.find(delimiter_);
    if (at == std::string_view::npos) return false;
    record = unread.substr(0, at);
    begin_ += at + delimiter_.size();
    end = RecordEnd::Delimiter;
    return true;
}

bool RecordReader::Fill() {
    if (!file_) {
        eof_ = true;
        return false;
    }
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    nextLf_ = kUnknown;
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) {
        eof_ = true;
        failed_ = std::ferror(file_) != 0;
    }
    return got > 0;
}

}  // namespace norvik
