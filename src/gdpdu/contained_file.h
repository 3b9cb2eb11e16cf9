#pragma once
// Opening the files of a medium that came from someone else: a file is read only when, with every
// link resolved, it lies inside the medium's folder and is a regular file. A link out of the
// folder, a FIFO or a device is refused without being opened, so that it can neither show what
// lies outside nor block the check.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "common/file_descriptor.h"

namespace norvik {

// Why a file is not read.
enum class FileRefusal {
    None,
    Outside,     // it resolves to a place outside the folder
    Special,     // it is a FIFO, device, socket or folder
    Unreadable,  // the system refused (missing, no permission …)
};

// A file opened for reading, or why not.
struct ContainedFile {
    FileDescriptor handle;                    // open when refusal is None
    FileRefusal refusal = FileRefusal::None;  // why it is not open
    std::string reason;  // Outside: how ("über eine Verknüpfung "); Special: what it is ("eine
                         // benannte Pipe (FIFO)"); Unreadable: the system's message
    uint64_t size = 0;   // bytes, when open
};

// True when path, links resolved, exists inside folder.
bool ResolvesInside(const std::filesystem::path& folder, const std::filesystem::path& path);
// Checks without opening it that path, links resolved, lies inside folder and is a regular file.
// An empty folder admits any place.
ContainedFile InspectContained(const std::filesystem::path& folder,
                               const std::filesystem::path& path);
// Opens path for reading after the same checks, and checks again what was opened: a link swapped
// in meanwhile gains nothing.
ContainedFile OpenContained(const std::filesystem::path& folder, const std::filesystem::path& path);
// The whole of an opened file when it holds at most maxBytes; nullopt when it holds more or cannot
// be read.
std::optional<std::string> ReadWhole(ContainedFile& file, uint64_t maxBytes);
// Why the file is not read, after its name: "führt über eine Verknüpfung aus dem Ordner des
// Datenträgers; sie wird nicht gelesen" and the like.
std::string RefusalText(const ContainedFile& file);

}  // namespace norvik
