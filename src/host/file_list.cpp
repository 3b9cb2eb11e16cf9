#include "host/file_list.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "common/file_io.h"
#include "common/profile_file.h"
#include "common/text_codec.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

void Report(HostMessages& messages, int32_t number, const std::string& description) {
    messages.ReportError("basMain", "GetFileList", number, description, true);
}

std::vector<std::string> MatchingFiles(HostMessages& messages, const std::string& folder,
                                       const std::string& extension, bool& complete) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(NativePath(folder), ec), end;
    if (ec) {
        const int32_t number =
            ec == std::errc::permission_denied ? kErrPermissionDenied : kErrPathNotFound;
        Report(messages, number, VbError::DescriptionOf(number) + ": " + folder);
        complete = false;
        return names;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        const auto name = it->path().filename().string();
        if (it->is_regular_file(ec) && EqualsIgnoreCase(it->path().extension().string(), extension))
            names.push_back(name);
    }
    // The Windows host listed its folders in name order; keep that order on every platform.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return LowerCase(a) < LowerCase(b);
    });
    return names;
}

}  // namespace

int32_t GetFileList(ModuleState& state, HostMessages& messages, int32_t mode, bool* complete) {
    bool whole = true;
    int32_t count = 0;
    const std::string extension = mode == cTQExport ? ".EXP" : ".GDU";
    const std::string& folder = state.exportPath;
    for (const std::string& name : MatchingFiles(messages, folder, extension, whole)) {
        const std::string path = (folder.empty() ? folder : WithTrailingSeparator(folder)) + name;
        ProfileFile profile = ProfileFile::Load(path);
        std::string display = profile.Read("Allgemein", "Name", "");
        if (display.empty()) display = profile.Read("Allgemein", "Schnittstelle", "");
        if (TrimBlanks(display).empty()) continue;
        if (count >= kFileListRows) {
            Report(messages, kErrOutOfRange,
                   VbError::DescriptionOf(kErrOutOfRange) + ": mehr als " +
                       std::to_string(kFileListRows) + " Dateien in " + folder +
                       "; die übrigen werden nicht angezeigt.");
            whole = false;
            break;
        }
        state.fileList[count] = {display, path, ""};
        ++count;
    }
    state.fileCount = count;
    if (complete) *complete = whole;
    return count;
}

std::string FileOfDisplayName(const ModuleState& state, const std::string& displayName) {
    for (int32_t i = state.fileCount - 1; i >= 0; --i) {
        const auto& row = state.fileList[static_cast<size_t>(i)];
        if (row[0] == displayName) return row[1];
    }
    return {};
}

}  // namespace norvik
