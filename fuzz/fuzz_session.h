#pragma once
// What the fuzz targets share: a scratch folder, a started component session on a small SQLite
// table, and a way to stop with a reason when an invariant does not hold.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "host/host_messages.h"
#include "host/host_session.h"

namespace norvik::fuzz {

// The table every run reads, whatever Datenquelle the input names.
inline constexpr const char* kTable = "Daten";

// The scratch folder of this process: NORVIK_FUZZ_SCRATCH, else /dev/shm (tmpfs keeps the
// per-input files fast), else the temporary folder. It outlives a crash for inspection and is
// removed by the next fuzz process.
const std::filesystem::path& ScratchFolder();

// The component session, started on first use and kept for the whole process.
struct FuzzSession {
    std::filesystem::path exportFolder;  // the export folder: definitions and profiles
    std::filesystem::path dataFolder;    // what "%DataPath%" stands for
    std::filesystem::path outputFolder;  // where runs write
    std::shared_ptr<RecordingHostMessages> messages;
    std::shared_ptr<HostSession> session;
};
FuzzSession& Session();

// Forgets what the previous input left behind: recorded messages, remembered output files and
// folders in the per-user store, so that every input starts from the same state.
void ForgetPreviousInput();
// Number of ReportError calls recorded since the last ForgetPreviousInput.
size_t ReportedErrors();

// Whole-file helpers; a failure is the harness's, so it stops the process.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& path);

// Stops the process (a finding) after printing the reason and the messages of a started session.
[[noreturn]] void Fail(const std::string& reason);

}  // namespace norvik::fuzz
