#pragma once
// Handover packages for the tests: ZIPs read and written with libzip, laid out anew byte by byte
// as other programs write them, and judged by the real sha256sum.

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace norvik::test {

// An entry of a ZIP: its name exactly as stored, its bytes and its Unix mode; read packed, the
// bytes as packed with the packing method, CRC and unpacked size.
struct ZipEntry {
    std::string name;
    std::string bytes;
    unsigned mode = 0100644;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t size = 0;
};
// The entries of a ZIP in their order.
std::vector<ZipEntry> ZipEntries(const std::string& zip, bool packed = false);
// Writes a ZIP of exactly these entries, deflated, whatever their names.
void WriteZip(const std::string& zip, const std::vector<ZipEntry>& entries);

// Rewrites the ZIP (deflated, as libzip wrote it) with the same packed entries in a layout:
//   zip64                every end record field at 0xFFFF / 0xFFFFFFFF, the real values in a
//                        ZIP64 end record and locator, every entry with ZIP64 extra fields
//   streamed             Info-ZIP writing to a pipe: data descriptors after the data, the local
//                        header with the unpacked size only
//   streamed-zeros       data descriptors, the local header with zeros
//   streamed-zip64       data descriptors with 64-bit sizes, the local header with 0xFFFFFFFF
//                        and a ZIP64 extra field of zeros
//   zip64-streamed       as zip64, with data descriptors of 64-bit sizes and the local header
//                        with zeros (Go's archive/zip for a package over 4 GiB)
// and contradicting ones, that no reader can trust:
//   streamed-other-size  as streamed, the first local header's unpacked size one more
//   local-name           the first local header names another file (a letter in other case)
//   streamed-overlap     as streamed, the first entry's data reaching into the second entry
//   zip64-other-count    as zip64, the ZIP64 end record stating one entry less
// Raises std::runtime_error for an unknown layout.
void RelayZip(const std::string& zip, const std::string& layout);

// The good package of the medium Konten (konten.txt "1000;"Kasse"" with CR LF), made from the
// folder "Medium" in dir; returns the package's path.
std::string GoodPackage(const TempDir& dir);

// The text with "{NAME}" replaced by the SHA-256 sum of the file NAME, "{NAME:U}" by it in upper
// case.
std::string WithSums(std::string text, const std::vector<ZipEntry>& files);
// What sha256sum -c --strict says of the folder's Pruefsummen.sha256: "ok" or "FAILED".
std::string Sha256sumVerdict(const std::string& folder);
// True when the shell finds the program.
bool Installed(const std::string& program);

}  // namespace norvik::test
