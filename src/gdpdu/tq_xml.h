#pragma once
// The description file Index.xml of a GDPdU data medium, written line by line.

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "definition/tq_model.h"
#include "medium/medium_names.h"

namespace norvik {

// How one column's values are written, beyond their type.
struct ColumnForm {
    int32_t Accuracy = 0;      // Numeric: decimals; 0 declares none
    std::string DateFormat{};  // Date: the Format; empty for the standard's DD.MM.YYYY
    int64_t FixedFrom = 0;     // FixedLength: first character, 1-based
    int64_t FixedWidth = 0;    // FixedLength: characters; 0 when none can be given
};

// The lines of a data file that hold one table's rows.
struct RowRange {
    int64_t From = 1;  // first line, 1-based
    int64_t To = 0;    // last line; before From when there is none (declared as Length 0)
};

// How a table's data file separates and encloses its values; the defaults are the standard's.
struct TableFormat {
    std::string ColumnDelimiter = ";";    // between the values of a line
    std::string TextEncapsulator = "\"";  // around text values
    std::string DecimalSymbol = ",";      // in numbers
    bool Oem = false;                     // in the DOS character set
    bool Utf8 = false;                    // in UTF-8
    bool FixedLength = false;             // values at fixed places (ColumnForm) instead of split
    std::optional<RowRange> Rows{};       // the table's lines, when the file holds others too
    std::vector<ColumnForm> Columns{};    // by field; fields beyond it have the defaults
    // When given, the tables on the medium: foreign keys into others are left out.
    std::optional<std::set<std::string>> MediumTables{};
};

// The layout the export run gives a definition's data file.
TableFormat TableFormatOf(const TQExportDef& def);

class TQXML {
  public:
    // A writer with no file open.
    TQXML();
    ~TQXML();
    TQXML(const TQXML&) = delete;
    TQXML& operator=(const TQXML&) = delete;

    // Opens Pfad + "\" + FileName anew and writes the header up to the medium's name; 0 on
    // success, else the number of the error, which has been reported.
    int32_t CreateNew(const std::string& SupplierName, const std::string& SupplierLocation,
                      const std::string& SupplierComment);
    // Closes the medium and the data set, then the file.
    void WriteFooter();
    // Writes one Table element for a record layout; a format other than the standard's is declared.
    void CreateTable(const TQRecord& myRecord, const std::string& FileName, const std::string& Name,
                     const std::string& Desc, const std::string& DatumVon,
                     const std::string& DatumBis, const TableFormat& format = {});

    std::string Pfad;                       // folder of Index.xml
    std::string FileName = kIndexFileName;  // the file in Pfad (the build writes a temporary one)
    // Full path of the file written last.
    const std::string& FilePath() const { return filePath_; }
    // True when CreateNew opened the file, every line since was written and WriteFooter closed it.
    bool Complete() const { return written_ && !file_.IsOpen(); }

  private:
    static std::string OpenTag(const std::string& name) { return "<" + name + ">"; }
    static std::string CloseTag(const std::string& name) { return "</" + name + ">"; }
    // Writes indentation, the element and its escaped value as one line.
    void WriteElement(int tabs, const std::string& name, const std::string& value);
    // Writes indentation and a lone tag as one line.
    void WriteTag(int tabs, const std::string& tag);
    void WriteLine(const std::string& text);
    void CloseFile();
    void WriteTableHeader(const std::string& FileName, const std::string& Name,
                          const std::string& Desc, const std::string& DatumVon,
                          const std::string& DatumBis);
    // Writes the Range of the table's lines.
    void WriteRows(const RowRange& rows);
    void NewField(const TQField& field, const ColumnForm& form, bool fixedLength);
    // Writes a type element that holds one element, or the empty pair.
    void WriteTypeElement(const std::string& type, const std::string& inner,
                          const std::string& value);
    void AddForeignKey(const TQRecord& myRecord,
                       const std::optional<std::set<std::string>>& mediumTables);

    std::array<std::string, 8> Tab;  // Tab[n]: n TAB characters
    std::string filePath_;
    AtomicFile file_;
    bool written_ = false;  // opened, and nothing has failed since
};

}  // namespace norvik
