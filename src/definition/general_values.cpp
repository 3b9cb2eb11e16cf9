#include "definition/general_values.h"

#include <array>

namespace norvik {
namespace {

using enum GeneralKind;
using D = TQExportDef;

// The file order keeps Info after Dateiname and Kopfzeile before Anfuegen, as the files always had.
constexpr std::array<GeneralValue, 20> kGeneralValues = {{
    {"Name", "Schnittstelle", &D::Schnittstelle, "", kName, 0},
    {"Datenquelle", "Datenquelle", &D::Datenquelle, "", kPlain, 1},
    {"Dateiname", "Dateiname", &D::Dateiname, "", kOutputFile, 2},
    {"Dateiformat", "Dateiformat", &D::Dateiformat, "ANSI", kPlain, 4},
    {"FeldLänge", "FeldLänge", &D::FeldLänge, "Variabel", kPlain, 5},
    {"Feldtrenner", "Feldtrenner", &D::Feldtrenner, ";", kPlain, 6},
    {"Texterkenner", "Texterkenner", &D::Texterkenner, "\"", kPlain, 7},
    {"Dezimaltrenner", "Dezimaltrenner", &D::Dezimaltrenner, ",", kPlain, 8},
    {"Datumserkenner", "Datumserkenner", &D::Datumserkenner, "#", kPlain, 9},
    {"Datumstrenner", "Datumstrenner", &D::Datumstrenner, ".", kPlain, 10},
    {"Zeittrenner", "Zeittrenner", &D::Zeittrenner, ":", kPlain, 11},
    {"Ersatzzeichen", "Ersatzzeichen", &D::Ersatzzeichen, "'", kPlain, 12},
    {"Anfuegen", "Anfügen", &D::Anfügen, "N", kPlain, 14},
    {"Info", "Info", &D::Info, "", kPlain, 3},
    {"Kopfzeile", "Kopfzeile", &D::Kopfzeile, "0", kPlain, 13},
    {"AnfuegenAenderbar", "AnfuegenAenderbar", &D::AnfuegenAenderbar, "N", kPlain, 15},
    {"AllowEmptySelection", "AllowEmptySelection", &D::AllowEmptySelection, "Y", kPlain, 16},
    {"AlleVorlaufsaetze", "AlleVorlaufsaetze", &D::AlleVorlaufsaetze, "N", kPlain, 17, true},
    {"TexterkennerDoppeln", "TexterkennerDoppeln", &D::TexterkennerDoppeln, "N", kPlain, 18, true},
    {"Abschnitt", "Abschnitt", &D::Abschnitt, "", kPlain, -1},
}};

constexpr size_t kWrittenCount = 19;

}  // namespace

std::span<const GeneralValue> GeneralValues() {
    return kGeneralValues;
}

std::span<const GeneralValue* const> GeneralValuesInFileOrder() {
    static const std::array<const GeneralValue*, kWrittenCount> order = [] {
        std::array<const GeneralValue*, kWrittenCount> o{};
        for (const GeneralValue& g : kGeneralValues)
            if (g.filePosition >= 0) o.at(static_cast<size_t>(g.filePosition)) = &g;
        return o;
    }();
    return order;
}

}  // namespace norvik
