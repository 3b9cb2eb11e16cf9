#pragma once
// Small GDPdU media written into a temporary folder for the check's tests: Index.xml from its
// Table elements, data files as exact bytes, the published DTD beside them.

#include <string>
#include <utility>
#include <vector>

namespace norvik::test {

// A medium to write: the Table elements (UTF-8, written as ISO-8859-1) and the data files.
struct MediumFiles {
    std::string tables;                                      // <Table>…</Table>…
    std::vector<std::pair<std::string, std::string>> files;  // name, bytes
};

// The published DTD's path; empty when it is not to be found.
std::string PublishedDtd();
// Writes Index.xml around the tables (DOCTYPE, DataSet, Version, Media), the files and a copy of
// the published DTD into folder.
void WriteMedium(const std::string& folder, const MediumFiles& medium);
// Index.xml's text with the tables put into the standard frame.
std::string IndexText(const std::string& tables);

// A Table element with VariableLength: the elements before the layout (charset, symbols, Range …)
// and inside it (separators, columns, foreign keys).
std::string VariableTable(const std::string& url, const std::string& name,
                          const std::string& layout, const std::string& before = "");
// A VariableColumn, or a VariablePrimaryKey when key, with its type element(s).
std::string Column(const std::string& name, const std::string& type, bool key = false);
// A ForeignKey of these columns (comma-separated) to a table.
std::string ForeignKey(const std::string& columns, const std::string& references);

// An entry of a ZIP: its name exactly as stored, its bytes and its Unix mode.
struct ZipEntry {
    std::string name;
    std::string bytes;
    unsigned mode = 0100644;
};
// The entries of a ZIP in their order, read with libzip.
std::vector<ZipEntry> ZipEntries(const std::string& zip);
// Writes a ZIP of exactly these entries, deflated, whatever their names.
void WriteZip(const std::string& zip, const std::vector<ZipEntry>& entries);

}  // namespace norvik::test
