#pragma once
// Windows-1252 on disk, UTF-8 inside: conversion and trimming. Includes the UTF-8 decoder and the
// letter case, which its users need along with it.

#include <cstddef>
#include <string>
#include <string_view>

#include "common/cp1252_case.h"
#include "common/utf8.h"

namespace norvik {

// Decodes Windows-1252 bytes to UTF-8; the five unassigned bytes become the C1 controls of the same
// code.
std::string Cp1252ToUtf8(std::string_view bytes);
// Appends the Windows-1252 bytes of a UTF-8 text; returns how many characters were written as "?".
size_t AppendCp1252(std::string& out, std::string_view utf8);
// Room beyond a text's length that WriteCp1252 may write into (and leave).
inline constexpr size_t kTextSlack = 8;
// Writes the Windows-1252 bytes of a UTF-8 text to out, which has room for utf8.size() +
// kTextSlack bytes; returns how many were written and adds the characters written as "?" to
// replaced.
size_t WriteCp1252(std::string_view utf8, char* out, size_t& replaced);
// The Windows-1252 bytes of a UTF-8 text; characters the code page lacks become "?".
std::string Utf8ToCp1252(std::string_view utf8);
// True when the bytes of a definition or profile file are UTF-8, as Linux editors write them: a
// byte order mark, or valid UTF-8 with bytes beyond ASCII.
bool IsUtf8File(std::string_view bytes);
// The bytes of such a file as Windows-1252 (the byte order mark dropped; characters the code page
// lacks become "?"), the form the readers take; utf8 says whether they were UTF-8.
std::string AsCp1252File(std::string bytes, bool& utf8);
// True when the UTF-8 text can be written in Windows-1252 without loss.
bool FitsCp1252(std::string_view utf8);

// Trims blanks (spaces only, as the classic Trim does) from both ends.
std::string_view TrimBlanks(std::string_view text);
// Trims spaces and tabs from both ends.
std::string_view TrimWhite(std::string_view text);

}  // namespace norvik
