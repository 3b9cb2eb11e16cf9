#pragma once
// The GDPdU dialog without the window: the list of profiles, the choice of one, the period, the
// output folder, the tables to include, and the checks and hand-over before a data medium is built.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/value.h"
#include "gdpdu/tq_gdpdu.h"
#include "host/host_services.h"
#include "host/module_state.h"

namespace norvik {

// One line of the table list: a caption and whether it is ticked.
struct GdpduTableLine {
    std::string caption;    // the text of the line; tables sharing it share the line
    bool selected = false;  // ticked
};

// The dialog's controls as the logic leaves them; the widget mirrors them and writes back what the
// user changes (schema, path, the two dates, the ticks).
struct GdpduControls {
    std::vector<std::string> schemaList;  // cboSchema: display names of the profiles
    std::string schema;                   // cboSchema's text: the chosen display name
    std::string path;                     // txtPath: the output folder
    std::string dateVon;                  // tdbDateVon as "dd.mm.yyyy"
    std::string dateBis;                  // tdbDateBis as "dd.mm.yyyy"
    std::vector<GdpduTableLine> tables;   // SelList
    bool handoverZip = false;             // chkZip: also pack the medium for the handover
    bool pathEnabled = false;             // txtPath and its "..." button
    bool tablesEnabled = false;           // SelList and the two select buttons
    bool okEnabled = false;               // cmdOK
};

// The warning when OK comes without a ticked table.
inline const char* const kNoTableMessage =
    "Bitte wählen Sie in der Liste \"Auswahl\" mindestens eine Tabelle für den Datenträger aus!";

// What OK led to.
enum class GdpduOk {
    PeriodRefused,  // the period was refused before anything was stored; the dialog stays open
    FolderRefused,  // no folder, or one the user did not want created; the dialog stays open
    TablesRefused,  // no table ticked: nothing stored, nothing built; the dialog stays open
    NotBuilt,       // nothing built (an error reported)
    Built,          // the build ran and ended with its own message
};

// The period field's date: a whole day written as a date; nullopt for anything else.
std::optional<DateTime> PeriodDate(const std::string& text);
// Remembers for the profile whether the table is ticked (read back when the profile loads).
void StoreTableSelection(ModuleState& state, HostServices& services,
                         const std::string& schnittstelle, const TQGxpFile& table);

class GdpduForm {
  public:
    // Loads the dialog with its own profile object; today gives the date the default period is
    // taken from (the system's date when empty).
    GdpduForm(ModuleState& state, HostServices& services, std::function<DateTime()> today = {});

    GdpduControls controls;  // the controls' state

    // The dialog's profile (m_GDPdU).
    TQGDPdU& Gdpdu() { return gdpdu_; }

    // First activation: the default period, the profile list and the first profile; later calls
    // do nothing.
    void Activate();
    // 1 January to 31 December of today's year.
    void SetDefaultPeriod();
    // Lists the profiles of the export folder into controls.schemaList, nothing chosen.
    void FillSchemaList();
    // The choice of a profile by display name: loads the file of the last list entry of exactly
    // that name, shows its folder, tables and remembered packing choice and enables the controls.
    // The period is kept.
    void LoadSchema(const std::string& displayName);
    // The file of the last list entry whose display name is exactly the name, else empty.
    std::string FileOf(const std::string& displayName) const;
    // One line per distinct non-empty caption in table order, ticked as the profile remembers;
    // errors are reported ("frmGDPdU", "RefreshSelList").
    void RefreshSelList();
    // Ticks every line as its tables are selected (the last table of a caption decides).
    void ShowSelection();
    // Enables the controls of a chosen profile.
    void EnableControls();
    // Ticks (true) or unticks every line.
    void SelectAll(bool selected);
    // The answer of the folder question: a non-empty one replaces the output folder.
    void ChooseFolder(const std::string& answer);
    // OK or F9: refuses an invalid period or no ticked table (shown, nothing stored), stores each
    // table's tick and the packing choice, puts the data files into the folder, offers to create a
    // missing folder, and builds the medium. Errors are reported ("frmGDPdU", "ExportData").
    GdpduOk ExportData();

  private:
    bool RefusePeriod(const std::optional<DateTime>& von, const std::optional<DateTime>& bis);
    // True when the folder exists or was created on the user's word.
    bool EnsureFolder(const std::string& folder);
    const GdpduTableLine* LineOf(const std::string& caption) const;

    ModuleState& state_;
    HostServices& services_;
    std::function<DateTime()> today_;
    TQGDPdU gdpdu_;
    bool activated_ = false;
};

}  // namespace norvik
