#pragma once
// The description file Index.xml of a GDPdU data medium, written line by line.

#include <array>
#include <cstdint>
#include <string>

#include "definition/tq_model.h"
#include "gdpdu/medium_names.h"

namespace norvik {

// How a table's data file separates and encloses its values; the defaults are the standard's.
struct TableFormat {
    std::string ColumnDelimiter = ";";    // between the values of a line
    std::string TextEncapsulator = "\"";  // around text values
    std::string DecimalSymbol = ",";      // in numbers
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
    bool Complete() const { return written_ && fileNo_ < 0; }

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
    void NewField(const TQField& field);
    void AddForeignKey(const TQRecord& myRecord);

    std::array<std::string, 8> Tab;  // Tab[n]: n TAB characters
    std::string filePath_;
    int fileNo_ = -1;
    bool written_ = false;  // opened, and nothing has failed since
};

}  // namespace norvik
