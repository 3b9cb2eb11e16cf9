#include "medium/hash_list.h"

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

constexpr size_t kHexDigits = 64;
// sha256sum's shortest line: the sum, a blank and a name of one byte.
constexpr size_t kShortestLine = kHexDigits + 2;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

std::string Lower(std::string_view hex) {
    std::string out(hex);
    for (char& c : out)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A name as sha256sum opens it: up to a NUL byte, which ends a C string.
std::string Unterminated(std::string_view name) {
    return std::string(name.substr(0, name.find('\0')));
}

// A name written with escapes; false when it holds one sha256sum does not know, or a NUL.
bool Unescape(std::string_view name, std::string& out) {
    out.clear();
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\0') return false;
        if (name[i] != '\\') {
            out += name[i];
            continue;
        }
        if (++i == name.size()) return false;
        switch (name[i]) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                return false;
        }
    }
    return true;
}

// Splits the lines of one list; the first line in BSD's "HEX NAME" form or in the usual form
// decides which of the two the list's later lines may have, as sha256sum does.
class LineSplitter {
  public:
    bool Split(std::string_view line, HashEntry& entry) {
        size_t i = 0;
        while (i < line.size() && IsBlank(line[i])) ++i;
        bool escaped = false;
        if (i < line.size() && line[i] == '\\') {
            escaped = true;
            ++i;
        }
        if (line.substr(i).starts_with("SHA256"))
            return SplitTagged(line.substr(i + 6), escaped, entry);
        const size_t backslash = i < line.size() && line[i] == '\\' ? 1 : 0;
        if (line.size() - i < kShortestLine + backslash) return false;
        const std::string_view hex = line.substr(i, kHexDigits);
        i += kHexDigits;
        if (!IsBlank(line[i]) || !IsHex(hex)) return false;
        ++i;
        if (line.size() - i == 1 || (line[i] != ' ' && line[i] != '*')) {
            // Mixing the forms would let a name with a leading blank pass as another file.
            if (reversed_ == Form::Usual) return false;
            reversed_ = Form::Reversed;
        } else if (reversed_ != Form::Reversed) {
            reversed_ = Form::Usual;
            ++i;
        }
        entry.hex = Lower(hex);
        if (escaped) return Unescape(line.substr(i), entry.name);
        entry.name = Unterminated(line.substr(i));
        return true;
    }

  private:
    enum class Form { Unknown, Usual, Reversed };

    // "SHA256 (NAME) = HEX" after the tag.
    static bool SplitTagged(std::string_view rest, bool escaped, HashEntry& entry) {
        size_t i = 0;
        if (i < rest.size() && rest[i] == ' ') ++i;
        if (i >= rest.size() || rest[i] != '(') return false;
        rest.remove_prefix(i + 1);
        const size_t close = rest.rfind(')');
        if (close == std::string_view::npos) return false;
        if (escaped) {
            if (!Unescape(rest.substr(0, close), entry.name)) return false;
        } else {
            entry.name = Unterminated(rest.substr(0, close));
        }
        i = close + 1;
        while (i < rest.size() && IsBlank(rest[i])) ++i;
        if (i >= rest.size() || rest[i] != '=') return false;
        ++i;
        while (i < rest.size() && IsBlank(rest[i])) ++i;
        const std::string_view hex = rest.substr(i);
        // The sum up to the end of the line (or a NUL there), nothing after it.
        const std::string_view digits = hex.substr(0, hex.find('\0'));
        if (digits.size() != kHexDigits || !IsHex(digits)) return false;
        entry.hex = Lower(digits);
        return true;
    }

    Form reversed_ = Form::Unknown;
};

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
    LineSplitter split;
    uint64_t number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.front() == '#') continue;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        HashEntry entry;
        if (!split.Split(line, entry)) {
            list.badLines.push_back(number);
            continue;
        }
        entry.line = number;
        list.entries.push_back(std::move(entry));
    }
    return list;
}

}  // namespace norvik
