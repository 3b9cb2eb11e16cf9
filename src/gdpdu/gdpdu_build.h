#pragma once
// One build of a GDPdU data medium from a loaded profile.

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "check/medium_finding.h"
#include "check/medium_totals.h"
#include "common/atomic_file.h"
#include "gdpdu/tq_gdpdu.h"

namespace norvik {

class StagedMedium;

// The comment Index.xml gives as the data supplier's.
inline const char* const kGdpduComment =
    "Datenträgerüberlassung nach GDPdU vom 14. August 2002, Ausgabe durch Software der Firma "
    "Tessaro "
    "Software und Service GmbH";
// Findings of the medium's check that are shown; all of them are protocolled.
constexpr size_t kMaxShownFindings = 10;

class GdpduBuild {
  public:
    explicit GdpduBuild(TQGDPdU& gdpdu)
        : gdpdu_(gdpdu), state_(gdpdu.Module()), services_(gdpdu.Host()) {}
    // Runs the build; the outcome is left in the profile's LastOutcome.
    void Run();

  private:
    // Checks the plan, then exports, describes, completes and checks the medium in its staging
    // folder (and packs it), and only then puts it in place; true when every step succeeded and
    // the check found no error. Until then the folder keeps what it held.
    bool BuildMedium();
    // Refuses the medium, protocolled and shown, when the selected tables' plan has problems;
    // true when it may be built.
    bool AcceptPlan();
    // Exports every selected table into its data file in the staging folder; true when all of them
    // completed.
    bool ExportTables(const std::filesystem::path& staging);
    // Writes the index into the staging folder; true when it was written completely.
    bool WriteIndex(const std::filesystem::path& staging);
    // Checks the staged medium as an import reads it, with the folder's other files it would lie
    // beside, and protocols the outcome; true when the check found no error.
    bool CheckFinishedMedium(const StagedMedium& staged);
    // Packs the checked medium with its record into the ZIP beside its folder, which takes its
    // place with the medium; true when it was written. Protocols and shows a failure.
    bool PackHandover(const std::filesystem::path& staging);
    // Puts the staged medium (and its ZIP) in place; true when it is. Protocols what went.
    bool PutInPlace(StagedMedium& staged);
    // Notes that the user stopped the build.
    void Stopped();
    // Protocols every finding and the summary, and shows the first of them.
    void ReportFindings(const std::vector<MediumFinding>& findings);
    // Protocols and shows each foreign key of the record into a table the medium does not carry.
    void NameDroppedForeignKeys(const TQRecord& record, const std::string& table,
                                const std::set<std::string>& tables);
    // The names of the tables this build puts on the medium.
    std::set<std::string> MediumTables() const;
    // Copies the installed published DTD into the export folder when it lacks it, and says so;
    // false, protocolled and shown, when there is none to copy.
    bool ProvideDtd();
    // Copies the DTD from the export folder into the staging folder; 0 or the error number, which
    // was shown.
    int32_t CopyDTD(const std::filesystem::path& staging);
    // Opens the folder in the file manager, or names it when there is none.
    void OpenFolder(const std::string& path);
    // The one final message of a build a listener followed.
    // Names the table's changes of data and a table without rows in its period, as warnings.
    void ReportTableNotes(const TQGxpFile& entry, int64_t rows);
    std::string FinalReport(bool failed, const std::vector<std::string>& problems) const;

    TQGDPdU& gdpdu_;
    ModuleState& state_;
    HostServices& services_;
    std::vector<std::string> tableLines_;  // one per exported table, for the final message
    std::string cleanCheck_;               // the check's summary when it found nothing
    std::string dtdNote_;                  // that the export folder got the published DTD now
    std::string supplier_, location_;      // as Index.xml names them
    std::vector<TableTotal> totals_;       // the check's rows and sums of every table
    std::vector<std::string> checkLines_;  // the check's findings and summary
    std::string zipPath_;                  // the handover package, once in place
    AtomicFile zip_;                       // the handover package, written and read back
    bool cancelled_ = false;
    bool folderKept_ = false;  // the build got as far as staging; the folder is as it was
};

}  // namespace norvik
