#pragma once
// Splitting a format text into sections and a section into codes and literal text.

#include <string_view>
#include <vector>

#include "common/vb_format_section.h"

namespace norvik::vbfmt {

// The sections of a format text, split at semicolons outside quotes and escapes (at most four).
std::vector<std::string_view> SplitSections(std::string_view format);

// One piece of a section: a literal ("text", \c, or a non-ASCII character) or a code character.
struct Piece {
    bool literal = false;
    std::string_view text;  // the literal's text, or the one code character
};

// Reads a section piece by piece.
class Lexer {
  public:
    explicit Lexer(std::string_view section) : s_(section) {}
    // True when all pieces have been read.
    bool AtEnd() const { return pos_ >= s_.size(); }
    // The next piece; call only when not AtEnd().
    Piece Next();
    // The section text from the current position on (for codes longer than one character).
    std::string_view Rest() const { return s_.substr(pos_); }
    // Skips n bytes of code characters that Rest() showed.
    void Skip(size_t n) { pos_ += n; }

  private:
    std::string_view s_;
    size_t pos_ = 0;
};

// Appends a literal to a section's pool and its step to its items.
void AddLiteral(Section& section, std::string_view text);
// Takes "<" or ">" (lower or upper case for the whole section), else adds the text as a literal.
void AddCaseOrLiteral(Section& section, std::string_view text);

// Which kind of section a text is, from its first deciding code.
Kind ClassifySection(std::string_view section);

// True for the letters that start a date or time code (d m y h n s w q c, ttttt, AM/PM forms).
bool StartsDateCode(std::string_view rest);

// The length of an AM/PM code at the start of rest (AM/PM, A/P, AMPM in any case), else 0.
size_t AmPmLength(std::string_view rest);

}  // namespace norvik::vbfmt
