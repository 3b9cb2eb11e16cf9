#pragma once
// The files of a medium folder: where a table's URL leads, and the copy of the DTD.

#include <filesystem>
#include <optional>

#include "check/contained_file.h"
#include "check/finding_sink.h"
#include "check/index_model.h"

namespace norvik {

// The file a table's URL names inside the folder, its name matched exactly; nullopt when it is
// missing (G202) or the URL is empty, absolute or leads out of the folder (G201). A file whose
// name differs only in letter case is reported (G203) and returned.
std::optional<std::filesystem::path> LocateDataFile(const std::filesystem::path& folder,
                                                    const IndexTable& table, FindingSink& sink);
// The entry of the folder with exactly this name, else one that differs only in letter case,
// else nullopt; exact tells which.
std::optional<std::filesystem::path> FindEntry(const std::filesystem::path& folder,
                                               const std::string& name, bool& exact);
// Opens the file a reference of Index.xml (its DOCTYPE's DTD) names relative to the folder, in
// the reference's exact case; one that is absolute, a URL or climbs out is refused as Outside.
ContainedFile OpenReference(const std::filesystem::path& folder, const std::string& reference);
// Reports a missing copy of the DTD of that name (G104), one that is no regular file inside the
// folder (G108) and one that differs from the published DTD (G105), when that is given; true when
// the copy is there.
bool CheckDtdCopy(const std::filesystem::path& folder, const std::string& name,
                  const std::filesystem::path& publishedDtd, FindingSink& sink);

}  // namespace norvik
