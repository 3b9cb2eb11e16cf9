#pragma once
// Index.xml of a GDPdU medium as a plain model: what an import needs to read each data file.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/data_charset.h"
#include "check/date_format.h"

namespace norvik {

// The data type of a column.
enum class ColumnType { AlphaNumeric, Numeric, Date };

// One column of a table.
struct IndexColumn {
    std::string name;                            // Name
    int line = 0;                                // line of its element in Index.xml
    bool primaryKey = false;                     // declared as VariablePrimaryKey/FixedPrimaryKey
    ColumnType type = ColumnType::AlphaNumeric;  // Numeric, AlphaNumeric or Date
    int accuracy = 0;                            // Numeric: decimals allowed (Accuracy, else 0)
    bool impliedAccuracy = false;                // Numeric: decimals written without a symbol
    std::optional<DateFormat> format;            // Date: its Format; empty when unusable
    size_t maxLength = 0;                        // AlphaNumeric: MaxLength, 0 for none
    size_t fixedFrom = 0;                        // FixedLength: first character, 0-based
    size_t fixedWidth = 0;                       // FixedLength: width in characters
};

// A ForeignKey: columns of the table that name a row of another table by its primary key.
struct IndexForeignKey {
    std::vector<std::string> columns;  // Name, in order
    std::string references;            // the referenced table's name
    int line = 0;                      // line of the ForeignKey element
    // Alias: a column of the key (From) and the column of the referenced table's primary key it
    // names (To), where their names differ.
    std::vector<std::pair<std::string, std::string>> aliases;
};

// One Table element with the defaults of the standard filled in.
struct IndexTable {
    size_t number = 0;  // 1-based position in Index.xml
    int line = 0;       // line of the Table element
    std::string url;    // URL as written
    std::string name;   // Name, else the URL
    std::string label;  // "Tabelle Kunden" for messages; "(Nr. 3)" added when not unique
    CharacterSet charset = CharacterSet::Ansi;
    // The symbols below are in the bytes of the character set.
    std::string decimalSymbol = ",";   // DecimalSymbol
    std::string groupingSymbol = ".";  // DigitGroupingSymbol; empty for none or when unusable
    uint64_t skipBytes = 0;            // SkipNumBytes
    uint64_t firstRecord = 1;          // Range From: the first line that is a data row
    uint64_t lastRecord = std::numeric_limits<uint64_t>::max();  // Range To (or From + Length - 1)
    bool rangeEnds = false;                                      // Range names a last line
    int epoch = 30;                       // Epoch: two-digit years below it are 20xx
    bool fixedLength = false;             // FixedLength, else VariableLength
    std::string columnDelimiter = ";";    // VariableLength
    std::string textEncapsulator = "\"";  // VariableLength; empty for none
    std::string recordDelimiter = "\r\n";
    size_t recordLength = 0;           // FixedLength Length: records of that size, no delimiter
    std::vector<IndexColumn> columns;  // in order
    std::vector<IndexForeignKey> foreignKeys;
    bool dataReadable = true;  // false when a declaration keeps the data from being read
};

// The description of a medium.
struct IndexModel {
    std::string doctype;             // the system identifier of the DOCTYPE, empty without one
    std::vector<IndexTable> tables;  // of every Media, in order
    std::vector<std::string> extensionUrls;  // URL of each Extension
};

}  // namespace norvik
