#include "forms/entry_checks.h"

#include <charconv>
#include <filesystem>
#include <string_view>
#include <tuple>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "engine/export_start.h"
#include "selection/entry_values.h"

namespace norvik {
namespace {

constexpr std::string_view kRangeMark = "..";

// The value of an SQL number literal, read without the locale's decimal sign.
double SqlNumber(const std::string& literal) {
    double value = 0;
    std::from_chars(literal.data(), literal.data() + literal.size(), value);
    return value;
}

// True when the range's ends are both readable and the first lies after the second.
bool IsReversed(int32_t valueKind, std::string_view from, std::string_view to) {
    if (valueKind == kValueDate) {
        const auto a = ParseGermanDay(from);
        const auto b = ParseGermanDay(to);
        return a && b && std::tie(a->year, a->month, a->day) > std::tie(b->year, b->month, b->day);
    }
    if (valueKind == kValueNumber) {
        const auto a = GermanNumberToSql(from);
        const auto b = GermanNumberToSql(to);
        return a && b && SqlNumber(*a) > SqlNumber(*b);
    }
    return false;
}

}  // namespace

std::optional<std::string> ReversedRangeWarning(const CriterionList& criteria) {
    for (const auto& criterion : criteria) {
        const std::string_view entry = criterion->Entry;
        for (size_t start = 0; start <= entry.size();) {
            const size_t end = std::min(entry.find(';', start), entry.size());
            const std::string_view item = TrimWhite(entry.substr(start, end - start));
            start = end + 1;
            const size_t mark = item.find(kRangeMark);
            if (mark == std::string_view::npos) continue;
            const std::string_view from = TrimWhite(item.substr(0, mark));
            const std::string_view to = TrimWhite(item.substr(mark + kRangeMark.size()));
            if (!IsReversed(criterion->ValueKind, from, to)) continue;
            // Text ranges are left alone: their order is the database's collation.
            return "Auswahl \"" + criterion->DisplayName() + "\": Der Bereich \"" +
                   std::string(item) + "\" beginnt nach seinem Ende und ergäbe keine Daten. " +
                   "Bitte geben Sie den kleineren Wert zuerst an: " + std::string(to) + ".." +
                   std::string(from) + ".";
        }
    }
    return std::nullopt;
}

std::optional<std::string> OutputFileWarning(const std::string& fileName) {
    if (fileName.empty()) return std::nullopt;
    std::error_code ec;
    const std::filesystem::path file = NativePath(fileName);
    if (std::filesystem::is_directory(file, ec))
        return "Der Dateiname " + file.string() +
               " ist ein Ordner, keine Datei. Bitte geben Sie im Feld \"Dateiname\" den Namen "
               "der Ausgabedatei an.";
    const std::filesystem::path folder = NativePath(GetPath(fileName));
    if (folder != file && std::filesystem::exists(folder, ec) &&
        !std::filesystem::is_directory(folder, ec))
        return "Der Pfad " + folder.string() +
               " ist eine Datei, kein Ordner. Bitte geben Sie im Feld \"Dateiname\" eine Datei "
               "in einem vorhandenen Ordner an.";
    return std::nullopt;
}

}  // namespace norvik
