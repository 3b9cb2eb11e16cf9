#include "gdpdu/gdpdu_text.h"

#include <fmt/format.h>

#include "common/vb_convert.h"

namespace norvik {
namespace {

// One pass, as the classic Replace does: a value that contains the placeholder stays as it is.
std::string ReplaceAll(const std::string& text, std::string_view search,
                       std::string_view replacement) {
    std::string out;
    size_t start = 0;
    for (size_t pos; (pos = text.find(search, start)) != std::string::npos;
         start = pos + search.size())
        out.append(text, start, pos - start).append(replacement);
    return out.append(text, start);
}

}  // namespace

std::string SQLDate(const DateTime& value) {
    if (value == DateTime{}) return "";
    return fmt::format("{:04}{:02}{:02}", value.year % 10000, value.month % 100, value.day % 100);
}

std::string CaptionFromFileName(std::string_view s) {
    if (const size_t dot = s.rfind('.'); dot != std::string_view::npos) s = s.substr(0, dot);
    if (const size_t sep = s.find_last_of("\\/"); sep != std::string_view::npos)
        s = s.substr(sep + 1);
    return std::string(s);
}

std::string FileNameOnly(std::string_view path) {
    const size_t sep = path.find_last_of("\\/");
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string ReplaceSQLVars(const std::string& text, const DateTime& von, const DateTime& bis) {
    if (text.empty()) return "";
    const std::string once = ReplaceAll(text, "$DatumVon", "'" + SQLDate(von) + "'");
    return ReplaceAll(once, "$DatumBis", "'" + SQLDate(bis) + "'");
}

std::string ReplaceDescVars(const std::string& text, const std::string& table, const DateTime& von,
                            const DateTime& bis) {
    if (text.empty()) return "";
    std::string out = ReplaceAll(text, "$DatumVon", DateTimeToText(von));
    out = ReplaceAll(out, "$DatumBis", DateTimeToText(bis));
    return ReplaceAll(out, "$Table", table);
}

}  // namespace norvik
