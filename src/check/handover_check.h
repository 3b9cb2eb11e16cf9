#pragma once
// Checks a handover package, the ZIP of a medium, which may come from anyone and any writer (ZIP64
// records, data descriptors: what unzip -t reads): every entry must be a plain file at the top
// level (no absolute path, "..", folder, link, name twice or over 255 bytes), their count and
// unpacked size are bounded before anything is unpacked, every file's SHA-256 sum must match the
// package's list as sha256sum -c --strict judges it, and the medium inside is then checked as a
// folder is, unpacked into a private temporary folder that is removed afterwards.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "check/medium_check.h"
#include "check/medium_finding.h"
#include "medium/hash_list.h"

namespace norvik {

// How a package is checked.
struct HandoverCheckOptions {
    MediumCheckOptions medium;                        // for the medium inside
    size_t maxEntries = 1000;                         // entries of the ZIP
    uint64_t maxBytes = uint64_t{64} << 30;           // unpacked bytes of all entries together
    uint64_t maxDirectoryBytes = uint64_t{16} << 20;  // the ZIP's central directory
};

// The package's own findings (G701-G712), then the medium's. Raises VbError when the temporary
// folder cannot take the medium (naming it), so that a full disk is no finding of the package.
std::vector<MediumFinding> CheckHandoverZip(const std::filesystem::path& zip,
                                            const HandoverCheckOptions& options = {});
// The package's own findings only, nothing unpacked: how a build verifies the ZIP it wrote. read
// (when given) gets each file's name and sum as read, in the package's order, the list left out.
std::vector<MediumFinding> CheckHandoverSums(const std::filesystem::path& zip,
                                             const HandoverCheckOptions& options = {},
                                             std::vector<HashEntry>* read = nullptr);

}  // namespace norvik
