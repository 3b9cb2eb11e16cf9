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
    std::string name;  // the file's name inside the package
    std::string hex;   // its SHA-256 sum, 64 lower-case hex digits
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
// Reads a list as sha256sum -c does: "HEX  NAME" or "HEX *NAME", LF or CR LF, empty lines skipped.
ParsedHashList ParseHashList(std::string_view text);

}  // namespace norvik
