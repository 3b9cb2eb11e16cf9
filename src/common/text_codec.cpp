#include "common/text_codec.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace norvik {
namespace {

// Unicode code points of the bytes 0x80 to 0x9F; the unassigned ones map to the C1 control.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte of a code point, or -1 when the code page lacks it.
int Cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (size_t k = 0; k < kHigh.size(); ++k)
        if (kHigh[k] == cp) return static_cast<int>(0x80 + k);
    return -1;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out.push_back(ch);
        else
            AppendUtf8(out, b < 0xA0 ? kHigh[b - 0x80] : static_cast<char32_t>(b));
    }
    return out;
}

namespace {

// Writes the Windows-1252 byte of the character beyond ASCII at i and moves i past it.
char* ConvertOne(std::string_view utf8, size_t& i, char* out, size_t& replaced) {
    // Umlauts and the other Latin-1 letters are the same byte in the code page.
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
        const auto next = static_cast<unsigned char>(utf8[i + 1]);
        const unsigned cp = ((lead & 0x1Fu) << 6) | (next & 0x3Fu);
        if ((next & 0xC0u) == 0x80u && cp >= 0xA0) {
            *out++ = static_cast<char>(cp);
            i += 2;
            return out;
        }
    }
    const Utf8Char c = DecodeUtf8(utf8, i);
    const int b = c.malformed ? -1 : Cp1252Byte(c.codePoint);
    if (b < 0) {
        *out++ = '?';
        ++replaced;
    } else {
        *out++ = static_cast<char>(b);
    }
    i += c.length;
    return out;
}

}  // namespace

size_t WriteCp1252(std::string_view utf8, char* out, size_t& replaced) {
    // ASCII is copied as it is, eight bytes a step: each step stores eight bytes, hence the room
    // beyond the text's own length.
    constexpr uint64_t kHighBits = 0x8080808080808080ULL;
    char* const start = out;
    const char* const data = utf8.data();
    const size_t size = utf8.size();
    size_t i = 0;
    while (i < size) {
        uint64_t word = 0;
        size_t count = 8;  // bytes of the text in word, from i on
        if (i + 8 <= size) {
            std::memcpy(&word, data + i, 8);
        } else if (size >= 8) {
            // The rest: the eight bytes at the end, moved down to begin at i.
            std::memcpy(&word, data + size - 8, 8);
            word >>= 8 * (i - (size - 8));
            count = size - i;
        } else {
            std::memcpy(&word, data + i, size - i);
            count = size - i;
        }
        std::memcpy(out, &word, 8);
        const uint64_t high = word & kHighBits;
        if (!high) {
            out += count;
            i += count;
            continue;
        }
        // The ASCII bytes before the first byte beyond it are written already.
        const auto ascii = static_cast<size_t>(std::countr_zero(high) / 8);
        out += ascii;
        i += ascii;
        out = ConvertOne(utf8, i, out, replaced);
    }
    return static_cast<size_t>(out - start);
}

size_t AppendCp1252(std::string& out, std::string_view utf8) {
    const size_t at = out.size();
    out.resize(at + utf8.size() + kTextSlack);
    size_t replaced = 0;
    out.resize(at + WriteCp1252(utf8, out.data() + at, replaced));
    return replaced;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendCp1252(out, utf8);
    return out;
}

bool IsUtf8File(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return true;
    bool beyondAscii = false;
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const Utf8Char c = DecodeUtf8(bytes, i);
        if (c.malformed) return false;
        beyondAscii = true;
        i += c.length;
    }
    return beyondAscii;
}

std::string AsCp1252File(std::string bytes, bool& utf8) {
    utf8 = IsUtf8File(bytes);
    if (!utf8) return bytes;
    std::string_view text(bytes);
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return Utf8ToCp1252(text);
}

bool FitsCp1252(std::string_view utf8) {
    std::string scratch;
    return AppendCp1252(scratch, utf8) == 0;
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string_view TrimWhite(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace norvik
