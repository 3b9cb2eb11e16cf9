#include "standalone/profile_text.h"

#include <sstream>

#include "standalone/cli_context.h"

namespace norvik::standalone {
namespace {

std::string Q(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

std::string DescribeProfile(const TQGDPdU& profile) {
    std::ostringstream o;
    o << "[Allgemein]\n"
      << "  Name = " << Q(profile.Schnittstelle) << '\n'
      << "  Pfad = " << Q(ShownPath(profile.Pfad)) << '\n'
      << "\n[Dateien] " << profile.GxpFiles->Count() << '\n';
    int n = 0;
    for (const auto& table : *profile.GxpFiles) {
        o << "  " << ++n << ". " << Q(table->Caption) << "  Tabelle " << Q(table->TableName)
          << "  Definition " << Q(table->FileName) << "  Bedingung " << Q(table->SQLString)
          << "  Beschreibung " << Q(table->TableDesc) << "  ausgewählt "
          << (table->Selected ? "ja" : "nein") << '\n';
        if (table->Export && table->Export->ExpDef)
            o << "     Datendatei " << Q(table->Export->ExpDef->Dateiname) << "  Datenquelle "
              << Q(table->Export->ExpDef->Datenquelle) << '\n';
    }
    return o.str();
}

}  // namespace norvik::standalone
