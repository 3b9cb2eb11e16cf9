#pragma once
// The character sets a GDPdU table may declare, as far as a check can read their bytes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace norvik {

// The character set of a data file (ANSI when none is declared).
enum class CharacterSet { Ansi, Oem, Macintosh, Utf8, Utf16, Utf7 };

// The name a finding gives it: "ANSI (Windows-1252)", "OEM (Codepage 850)" …
const char* CharsetName(CharacterSet set);
// True for the sets whose lines, separators and values the check can read: all but UTF-7. A
// UTF-16 file is decoded as it is read, so its records, symbols and messages are UTF-8.
bool Readable(CharacterSet set);
// True for the sets whose records the check holds as UTF-8: UTF-8 and the decoded UTF-16.
bool ReadAsUtf8(CharacterSet set);
// Offset of the first byte the set leaves undefined (Windows-1252: 0x81 0x8D 0x8F 0x90 0x9D;
// UTF-8: a malformed sequence); npos when every byte decodes. Code pages 850 and Macintosh define
// every byte.
size_t FirstUndefinedByte(std::string_view bytes, CharacterSet set);
// The bytes as UTF-8, for a message.
std::string DecodeForMessage(std::string_view bytes, CharacterSet set);
// The bytes of a UTF-8 text in the set; nullopt when the set lacks one of its characters.
std::optional<std::string> EncodeIn(std::string_view utf8, CharacterSet set);
// The number of characters the bytes hold (code points for UTF-8, else bytes).
size_t CharacterCount(std::string_view bytes, CharacterSet set);

}  // namespace norvik
