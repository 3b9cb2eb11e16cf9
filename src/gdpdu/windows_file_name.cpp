#include "gdpdu/windows_file_name.h"

#include <fmt/format.h>

#include "common/ascii.h"
#include "common/cp1252_case.h"

namespace norvik {
namespace {

constexpr std::string_view kForbidden = "<>:\"/\\|?*";

// Windows also reserves COM and LPT with the superscript digits one to three.
bool IsDeviceNumber(std::string_view rest) {
    return (rest.size() == 1 && IsAsciiDigit(rest[0])) || rest == "\u00b9" || rest == "\u00b2" ||
           rest == "\u00b3";
}

// The device a name stands for: the part before its first point, blanks at its end ignored, as
// Windows reads it ("nul.txt" and "CON .csv" open the device); empty when none.
std::string DeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    const std::string upper = UpperCase(stem);
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (upper == device) return upper;
    const std::string_view view = upper;
    if ((view.starts_with("COM") || view.starts_with("LPT")) && IsDeviceNumber(view.substr(3)))
        return upper;
    return "";
}

}  // namespace

std::string WindowsFileNameProblem(std::string_view name) {
    if (name.empty()) return "Die Datendatei hat keinen Namen.";
    for (const char c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20)
            return fmt::format(
                "Der Dateiname enthält ein Steuerzeichen (Code {}), das Windows in Dateinamen "
                "nicht zulässt.",
                code);
    }
    if (const size_t bad = name.find_first_of(kForbidden); bad != std::string_view::npos)
        return fmt::format(
            "Der Dateiname \"{}\" enthält das Zeichen '{}', das Windows in Dateinamen nicht "
            "zulässt.",
            name, name[bad]);
    if (name.back() == '.')
        return fmt::format(
            "Der Dateiname \"{}\" endet auf einen Punkt, den Windows beim Speichern weglässt.",
            name);
    if (name.back() == ' ')
        return fmt::format(
            "Der Dateiname \"{}\" endet auf ein Leerzeichen, das Windows beim Speichern weglässt.",
            name);
    if (const std::string device = DeviceName(name); !device.empty())
        return fmt::format("Der Dateiname \"{}\" ist unter Windows der Gerätename {}.", name,
                           device);
    return "";
}

}  // namespace norvik
