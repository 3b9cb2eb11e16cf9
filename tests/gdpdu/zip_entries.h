#pragma once
// The entries of a ZIP read and written with libzip, to look into a handover package and to make
// broken ones.

#include <string>
#include <vector>

namespace norvik::test {

// An entry of a ZIP: its name exactly as stored, its bytes and its Unix mode.
struct ZipEntry {
    std::string name;
    std::string bytes;
    unsigned mode = 0100644;
};
// The entries of a ZIP in their order.
std::vector<ZipEntry> ZipEntries(const std::string& zip);
// Writes a ZIP of exactly these entries, deflated, whatever their names.
void WriteZip(const std::string& zip, const std::vector<ZipEntry>& entries);

}  // namespace norvik::test
