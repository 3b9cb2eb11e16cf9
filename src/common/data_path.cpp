#include "common/data_path.h"

#include <string_view>

#include "common/file_io.h"

namespace norvik {
namespace {

constexpr std::string_view kPlaceholder = "%DataPath%";

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

std::string DataFolder(const std::string& folder) {
    return folder.empty() ? folder : WithTrailingSeparator(folder);
}

std::string ReplaceDataPath(const std::string& text, const std::string& folder) {
    const std::string_view full = folder;
    const std::string_view bare =
        !full.empty() && IsSeparator(full.back()) ? full.substr(0, full.size() - 1) : full;
    std::string out;
    size_t start = 0;
    for (size_t pos; (pos = text.find(kPlaceholder, start)) != std::string::npos;) {
        out.append(text, start, pos - start);
        start = pos + kPlaceholder.size();
        out.append(start < text.size() && IsSeparator(text[start]) ? bare : full);
    }
    return out.append(text, start);
}

}  // namespace norvik
