#include "gdpdu/hash_list.h"

#include <fcntl.h>
#include <nettle/sha2.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/file_io.h"
#include "common/guarded_open.h"

namespace norvik {
namespace {

constexpr size_t kBlock = size_t{1} << 20;

bool IsHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

std::string Lower(std::string_view hex) {
    std::string out(hex);
    for (char& c : out)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

Sha256::Sha256() : ctx_(std::make_unique<sha256_ctx>()) {
    sha256_init(ctx_.get());
}

Sha256::~Sha256() = default;

void Sha256::Update(std::string_view bytes) {
    sha256_update(ctx_.get(), bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
}

std::string Sha256::HexDigest() {
    uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(ctx_.get(), sizeof digest, digest);
    static const char* const kDigits = "0123456789abcdef";
    std::string hex;
    for (uint8_t b : digest) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

HashEntry HashFile(const std::string& path, uint64_t& size) {
    const FileDescriptor fd = OpenGuarded(path, O_RDONLY | O_CLOEXEC);
    if (!fd) throw FileError(errno, path);
    Sha256 sum;
    std::vector<char> buffer(kBlock);
    size = 0;
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw FileError(errno, path);
        if (n == 0) break;
        sum.Update(std::string_view(buffer.data(), static_cast<size_t>(n)));
        size += static_cast<uint64_t>(n);
    }
    return {NativePath(path).filename().string(), sum.HexDigest()};
}

std::string HashListText(const std::vector<HashEntry>& entries) {
    std::string text;
    for (const HashEntry& entry : entries) text += entry.hex + "  " + entry.name + "\n";
    return text;
}

ParsedHashList ParseHashList(std::string_view text) {
    ParsedHashList list;
    uint64_t number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        // 64 hex digits, a blank, the mode (blank for text, "*" for binary), the name.
        if (line.size() < 67 || !IsHex(line.substr(0, 64)) || line[64] != ' ' ||
            (line[65] != ' ' && line[65] != '*')) {
            list.badLines.push_back(number);
            continue;
        }
        list.entries.push_back({std::string(line.substr(66)), Lower(line.substr(0, 64))});
    }
    return list;
}

}  // namespace norvik
