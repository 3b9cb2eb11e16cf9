#include "check/record_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/utf8.h"

namespace norvik {
namespace {

constexpr size_t kBlockSize = 1 << 20;
// Room for the longest record and a block after it.
constexpr size_t kBufferSize = kMaxRecordBytes + kBlockSize;
constexpr size_t kUnknown = static_cast<size_t>(-1);

bool IsLineBreak(std::string_view delimiter) {
    return delimiter == "\r\n" || delimiter == "\n" || delimiter == "\r";
}

}  // namespace

RecordReader::RecordReader(std::string delimiter, size_t recordLength, bool utf16)
    : delimiter_(std::move(delimiter)),
      recordLength_(recordLength),
      lineBreaks_(recordLength == 0 && IsLineBreak(delimiter_)),
      buffer_(kBufferSize),
      utf16_(utf16) {}

RecordReader::~RecordReader() = default;

bool RecordReader::Open(FileDescriptor file, uint64_t skipBytes, std::string& error) {
    file_ = std::move(file);
    if (skipBytes > 0 && ::lseek(file_.Get(), static_cast<off_t>(skipBytes), SEEK_SET) < 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool RecordReader::Next(std::string_view& record, RecordEnd& end) {
    overlong_ = 0;
    for (;;) {
        if (skipping_) {
            if (!Skip(end)) continue;
            record = std::string_view();
            return true;
        }
        if (recordLength_ > 0 && end_ - begin_ >= recordLength_) {
            record = std::string_view(buffer_.data() + begin_, recordLength_);
            begin_ += recordLength_;
            end = RecordEnd::Delimiter;
            return true;
        }
        if (recordLength_ == 0 &&
            (lineBreaks_ ? FindLineBreak(record, end) : FindDelimiter(record, end)))
            return Measured(record);
        if (recordLength_ == 0 && end_ - begin_ > kMaxRecordBytes) {
            skipping_ = true;
            continue;
        }
        if (!eof_) {
            Fill();
            continue;
        }
        // The last record needs no end of its own.
        if (begin_ == end_) return false;
        record = std::string_view(buffer_.data() + begin_, end_ - begin_);
        begin_ = end_;
        end = RecordEnd::EndOfFile;
        return Measured(record);
    }
}

bool RecordReader::Measured(std::string_view& record) {
    // The whole of it may have come in one read.
    if (record.size() > kMaxRecordBytes) {
        overlong_ = record.size();
        record = std::string_view();
    }
    return true;
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

bool RecordReader::Skip(RecordEnd& end) {
    std::string_view rest;
    if (lineBreaks_ ? FindLineBreak(rest, end) : FindDelimiter(rest, end)) {
        overlong_ += rest.size();
        skipping_ = false;
        return true;
    }
    if (eof_) {
        overlong_ += end_ - begin_;
        begin_ = end_;
        skipping_ = false;
        end = RecordEnd::EndOfFile;
        return true;
    }
    // The last bytes may begin the record's end.
    const size_t keep = std::min(end_ - begin_, lineBreaks_ ? 1 : delimiter_.size() - 1);
    overlong_ += end_ - begin_ - keep;
    begin_ = end_ - keep;
    Fill();
    return false;
}

bool RecordReader::Fill() {
    if (file_.Get() < 0) {
        eof_ = true;
        return false;
    }
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    nextLf_ = kUnknown;
    const ssize_t got = ReadMore();
    if (got <= 0) {
        eof_ = true;
        failed_ = got < 0;
        return false;
    }
    end_ += static_cast<size_t>(got);
    return true;
}

ssize_t RecordReader::ReadMore() {
    const size_t room = buffer_.size() - end_;
    ssize_t got;
    if (!utf16_) {
        do {
            got = ::read(file_.Get(), buffer_.data() + end_, room);
        } while (got < 0 && errno == EINTR);
        return got;
    }
    // Two bytes of UTF-16 give at most three of UTF-8, four (a pair) at most four.
    raw_.resize(rawKept_ + room / 3 * 2);
    do {
        got = ::read(file_.Get(), raw_.data() + rawKept_, raw_.size() - rawKept_);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return got;
    const size_t have = rawKept_ + static_cast<size_t>(got);
    size_t at = 0;
    if (!started_ && (have >= 2 || got == 0)) {
        started_ = true;
        if (have >= 2 && raw_[0] == 0xFE && raw_[1] == 0xFF) bigEndian_ = true;
        // The mark itself is decoded (U+FEFF) and dropped with the first record's.
    }
    const auto unit = [&](size_t i) -> char32_t {
        return bigEndian_ ? static_cast<char32_t>(raw_[i] << 8 | raw_[i + 1])
                          : static_cast<char32_t>(raw_[i + 1] << 8 | raw_[i]);
    };
    std::string out;
    out.reserve(have / 2 * 3 + 4);
    while (at + 2 <= have) {
        char32_t c = unit(at);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (at + 4 > have && got > 0) break;  // its pair comes with the next read
            const char32_t low = at + 4 <= have ? unit(at + 2) : 0;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                at += 4;
                continue;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            // Half a pair: its three bytes are no UTF-8, so the record is reported.
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            AppendUtf8(out, c);
        }
        at += 2;
    }
    if (got == 0 && at < have) {
        out += '\xFF';  // an odd last byte
        at = have;
    }
    rawKept_ = have - at;
    std::memmove(raw_.data(), raw_.data() + at, rawKept_);
    std::memcpy(buffer_.data() + end_, out.data(), out.size());
    // Nothing decoded yet, though bytes came: read on.
    if (out.empty() && got > 0) return ReadMore();
    return static_cast<ssize_t>(out.size());
}

}  // namespace norvik
