#pragma once
// The fields of one record: split at the column delimiter (VariableLength) or cut at character
// positions (FixedLength).

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace norvik {

// What kept a record from being split as declared.
enum class SplitProblem { None, Unclosed, TextAfterClosing };

// The outcome of splitting a record: a problem and the 0-based field it lies in.
struct SplitOutcome {
    SplitProblem problem = SplitProblem::None;
    size_t field = 0;
};

// Splits VariableLength records: the delimiter separates fields; a field that begins with the
// encapsulator runs to the next single one and may hold delimiters; a doubled encapsulator inside
// stands for one.
class VariableSplitter {
  public:
    // An empty encapsulator: fields are never encapsulated.
    VariableSplitter(std::string delimiter, std::string encapsulator);
    // The record's fields, without encapsulation; views valid until the next call.
    SplitOutcome Split(std::string_view record, std::vector<std::string_view>& fields);

  private:
    std::string delimiter_;
    std::string encapsulator_;
    std::string unescaped_;  // fields that held doubled encapsulators
};

// Cuts FixedLength records at declared character positions.
class FixedCutter {
  public:
    // Each column as (first character, width); utf8: characters are UTF-8 sequences, else bytes.
    FixedCutter(std::vector<std::pair<size_t, size_t>> columns, bool utf8);
    // The record's length in characters; fields gets each column's value without the blanks
    // around it (empty when the record ends before it).
    size_t Cut(std::string_view record, std::vector<std::string_view>& fields);

  private:
    std::vector<std::pair<size_t, size_t>> columns_;
    bool utf8_;
    std::vector<size_t> starts_;  // byte offset of each character (UTF-8)
};

// The value without the blanks that pad it.
std::string_view WithoutPadding(std::string_view value);

}  // namespace norvik
