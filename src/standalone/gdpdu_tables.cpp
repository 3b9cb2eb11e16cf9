#include "standalone/gdpdu_tables.h"

#include <fmt/format.h>

#include "common/text_codec.h"
#include "forms/gdpdu_form.h"
#include "host/module_state.h"
#include "standalone/cli_context.h"

namespace norvik::standalone {
namespace {

bool Names(const TQGxpFile& entry, const std::string& name) {
    return EqualsIgnoreCase(entry.Caption, name) || EqualsIgnoreCase(entry.TableName, name);
}

std::string KnownTables(const TQGDPdU& gdpdu) {
    std::string known;
    for (const auto& entry : *gdpdu.GxpFiles) {
        known += (known.empty() ? "" : ", ") + entry->Caption;
        if (!entry->TableName.empty() && !EqualsIgnoreCase(entry->TableName, entry->Caption))
            known += " (" + entry->TableName + ")";
    }
    return known;
}

// The note about a selection an earlier build stored, when one is stored.
std::string StoredSelectionNote(const TQGDPdU& gdpdu) {
    int stored = 0, selected = 0, tables = 0;
    std::string names;
    for (const auto& entry : *gdpdu.GxpFiles) {
        ++tables;
        stored += gdpdu.Module()
                          .Settings()
                          .ReadValue("TQBExport", gdpdu.Schnittstelle + "_" + entry->Caption,
                                     gdpdu.Module().userName, "")
                          .empty()
                      ? 0
                      : 1;
        if (!entry->Selected) continue;
        ++selected;
        names += (names.empty() ? "" : ", ") + entry->Caption;
    }
    if (stored == 0) return "";
    return fmt::format(
        "gespeicherte Tabellenauswahl: {} von {} Tabellen ({}); --all-tables nimmt alle, --table "
        "wählt, --no-remember nimmt alle ohne zu speichern",
        selected, tables, names.empty() ? "keine" : names);
}

}  // namespace

std::string ChooseTables(TQGDPdU& gdpdu, const TableChoice& choice) {
    for (const std::string& name : choice.names) {
        bool known = false;
        for (const auto& entry : *gdpdu.GxpFiles) known = known || Names(*entry, name);
        if (!known)
            throw UsageError("unbekannte Tabelle: " + name +
                             " (das Profil hat: " + KnownTables(gdpdu) + ")");
    }
    if (choice.names.empty() && !choice.all) {
        if (choice.remember) return StoredSelectionNote(gdpdu);
        // Without a stored selection every table is taken, as on a first build.
        for (const auto& entry : *gdpdu.GxpFiles) entry->Selected = true;
        return "";
    }
    for (const auto& entry : *gdpdu.GxpFiles) {
        entry->Selected = choice.all;
        for (const std::string& name : choice.names)
            entry->Selected = entry->Selected || Names(*entry, name);
    }
    return "";
}

void StoreChosenTables(const TQGDPdU& gdpdu, const TableChoice& choice) {
    if (!choice.remember || (choice.names.empty() && !choice.all)) return;
    // As the dialog does on OK: every listed table's tick is stored.
    for (const auto& entry : *gdpdu.GxpFiles)
        if (!entry->Caption.empty())
            StoreTableSelection(gdpdu.Module(), gdpdu.Host(), gdpdu.Schnittstelle, *entry);
}

}  // namespace norvik::standalone
