#pragma once
// What a medium's data files hold in total, read as the check reads them: the rows of each table
// and the exact sum of each numeric column, for the handover record.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norvik {

// The sum of decimal numbers, exact whatever their count and size.
class DecimalSum {
  public:
    // A sum of numbers with at most scale decimals.
    explicit DecimalSum(int scale = 0);
    // Adds a number in the check's comparable form ("-1234.5") with at most scale decimals.
    void Add(std::string_view number);
    // Adds another sum of the same scale.
    void Add(const DecimalSum& other);
    // The sum with scale decimals after the decimal symbol and, when grouping is not empty, the
    // integer digits grouped in threes: "-1.234,50".
    std::string Text(std::string_view decimalSymbol, std::string_view grouping) const;

  private:
    // Moves the pending sums into the digits.
    void Flush();
    // The digits with the pending sums added.
    std::string Positive() const;
    std::string Negative() const;

    int scale_;
    // Digits scaled by 10^scale, least significant first: the positive and the negative addends.
    std::string positive_, negative_;
    // Addends of at most 18 digits summed in binary, moved into the digits before they overflow.
    uint64_t pendingPositive_ = 0, pendingNegative_ = 0;
};

// The sum of one numeric column.
struct ColumnTotal {
    std::string name;  // the column's Name
    DecimalSum sum;    // of its values
};

// One table of Index.xml with the rows of its range and the sums of its numeric columns.
struct TableTotal {
    std::string name;            // the table's Name
    std::string url;             // its data file
    uint64_t rows = 0;           // lines in its range
    std::string decimalSymbol;   // as UTF-8
    std::string groupingSymbol;  // as UTF-8; empty for none
    std::vector<ColumnTotal> columns;
};

}  // namespace norvik
