#pragma once
// Windows-1252 on disk, UTF-8 inside: conversion, character counting and letter case.

#include <cstddef>
#include <string>
#include <string_view>

namespace norvik {

// Decodes Windows-1252 bytes to UTF-8; the five unassigned bytes become the C1 controls of the same
// code.
std::string Cp1252ToUtf8(std::string_view bytes);
// Appends the Windows-1252 bytes of a UTF-8 text; returns how many characters were written as "?".
size_t AppendCp1252(std::string& out, std::string_view utf8);
// The Windows-1252 bytes of a UTF-8 text; characters the code page lacks become "?".
std::string Utf8ToCp1252(std::string_view utf8);
// True when the UTF-8 text can be written in Windows-1252 without loss.
bool FitsCp1252(std::string_view utf8);

// Number of characters (code points) in a UTF-8 text; a stray byte counts as one.
size_t CharCount(std::string_view utf8);
// Byte offset of the character with this 0-based index (the size when past the end).
size_t ByteOffsetOfChar(std::string_view utf8, size_t charIndex);
// The first n characters.
std::string_view LeftChars(std::string_view utf8, size_t n);
// The last n characters.
std::string_view RightChars(std::string_view utf8, size_t n);
// Length in bytes of the character that starts at offset i (1 for a stray byte).
size_t CharLengthAt(std::string_view utf8, size_t i);

// Upper case as the classic UCase gives it for the Windows-1252 letters (ß stays).
std::string UpperCase(std::string_view utf8);
// Lower case of the Windows-1252 letters.
std::string LowerCase(std::string_view utf8);
// True when both texts are equal without regard to letter case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Trims blanks (spaces only, as the classic Trim does) from both ends.
std::string_view TrimBlanks(std::string_view text);
// Trims spaces and tabs from both ends.
std::string_view TrimWhite(std::string_view text);

}  // namespace norvik
