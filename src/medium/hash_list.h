#pragma once
// SHA-256 sums of the files of a handover package, in the form sha256sum writes and checks
// ("HEX  NAME" per line), so that an auditor can verify them with the tools at hand.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sha256_ctx;

namespace norvik {

// A SHA-256 sum computed over bytes given piece by piece.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // Adds bytes.
    void Update(std::string_view bytes);
    // The sum of everything added, as 64 lower-case hex digits; starts afresh afterwards.
    std::string HexDigest();

  private:
    std::unique_ptr<sha256_ctx> ctx_;
};

// One line of a hash list.
struct HashEntry {
    std::string name;   // the file's name inside the package
    std::string hex;    // its SHA-256 sum, 64 lower-case hex digits
    uint64_t line = 0;  // the 1-based line of the list it was read from, 0 when not read
};

// A hash list as read: its entries and the numbers of lines that are none.
struct ParsedHashList {
    std::vector<HashEntry> entries;
    std::vector<uint64_t> badLines;  // 1-based
};

// The SHA-256 sum of a whole file and its size; raises VbError naming the path when it cannot be
// read.
HashEntry HashFile(const std::string& path, uint64_t& size);
// The list's text: one "HEX  NAME" line each, ending with LF, in the given order.
std::string HashListText(const std::vector<HashEntry>& entries);
// Reads a list as sha256sum -c of GNU coreutils does, so that a package passes here exactly when
// it passes there: "HEX  NAME" and "HEX *NAME", BSD's "SHA256 (NAME) = HEX" and "HEX NAME" (not
// mixed with the others), blanks before a line, upper-case hex, a backslash before a line whose
// name escapes LF, CR or a backslash, LF or CR LF. Empty lines and lines starting with "#" are
// skipped, any other line is a bad one. Names are kept as the lines give them.
ParsedHashList ParseHashList(std::string_view text);

}  // namespace norvik
