#pragma once
// The handover package of a medium: one ZIP beside its folder (…/Medium → …/Medium.zip) whose
// bytes depend only on what it holds. Index.xml, the DTD and the data files lie at its top level
// in a fixed order, followed by the handover record and the list of every other file's SHA-256
// sum; every entry has the same time (1980-01-01 00:00) and attributes (a file, rw-r--r--).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "medium/hash_list.h"

namespace norvik {

class AtomicFile;

// A file of the medium to pack, as it was read for its sum.
struct PackedFile {
    HashEntry sum;      // its name in the folder and its SHA-256 sum
    uint64_t size = 0;  // bytes
};

// What packing tells while libzip writes.
class PackingEvents {
  public:
    virtual ~PackingEvents() = default;
    // The share written, 0 to 100.
    virtual void Packed(int16_t /*percent*/) {}
    // True when the user asked to stop.
    virtual bool StopRequested() { return false; }
};

// The package of the medium in this folder: the folder's name with ".zip", beside it.
std::filesystem::path HandoverZipPath(const std::string& folder);
// The medium's files in their package order: Index.xml, the DTD, then the data files sorted by
// their bytes, each named once.
std::vector<std::string> PackageOrder(std::vector<std::string> dataFiles);
// Reads each file of the folder for its sum and size; raises VbError naming a file that cannot be
// read.
std::vector<PackedFile> HashMediumFiles(const std::filesystem::path& folder,
                                        const std::vector<std::string>& names);
// Writes the package: the files (read again from the folder), the record and the hash list. It is
// written beside zip under a temporary name, read back with every sum checked, and only then put
// in place of zip. Raises VbError with a German description when it cannot; no file is left then.
void WriteHandoverZip(const std::filesystem::path& folder, const std::vector<PackedFile>& files,
                      const std::string& record, const std::filesystem::path& zip,
                      PackingEvents* events = nullptr);
// The same, but the checked package stays in file, created here for zip, for the caller to
// commit; raises as above, file discarded.
void WriteHandoverZip(const std::filesystem::path& folder, const std::vector<PackedFile>& files,
                      const std::string& record, const std::filesystem::path& zip, AtomicFile& file,
                      PackingEvents* events = nullptr);

}  // namespace norvik
