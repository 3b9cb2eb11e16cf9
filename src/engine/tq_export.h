#pragma once
// The export engine object: one definition, a run mode, an extra condition and the run's events.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "definition/tq_model.h"
#include "engine/written_lines.h"
#include "host/host_services.h"
#include "host/module_state.h"

namespace norvik {

// Listener of a TQExport's run; every event has an empty default.
class TQExportEvents {
  public:
    virtual ~TQExportEvents() = default;
    // The run has ended, successfully or not (always true, always the last event).
    virtual void Done(bool /*blValue*/) {}
    // The final status text or the error text.
    virtual void ExportState(const std::string& /*strInfo*/) {}
    // The data rows written so far, after each data row (strInfo then says it in words).
    virtual void RowsExported(int64_t /*rows*/) {}
    // Progress text after each data row.
    virtual void strInfo(const std::string& /*strInfo*/) {}
    // Progress in percent after each data row.
    virtual void ExportProgress(int16_t /*intPercent*/) {}
};

// What an interactive run does when its statement delivers no rows.
enum class IfEmpty : uint8_t {
    Keep,   // the output file stays as it was
    Write,  // the file is replaced by what a run without rows writes (title line, header and
            // trailer records)
    Fail    // the run counts as failed; the file stays as it was
};

// A change of the data on its way into the file, or a run without rows: a host shows it as a
// warning, beside the summary that carries the same text.
struct RunNote {
    enum class Kind : uint8_t {
        NoData,
        Cut,
        Replaced,
        LineBreak,
        Permissions,
        Changed  // one value of a fixed layout changed on its way: cut, rounded or "?" (line named)
    } kind = Kind::Cut;
    std::string field;  // the field concerned; empty for the whole run
    int64_t count = 0;  // values or characters concerned
    std::string text;   // one line of the summary ("Warnung: …", "Keine Daten: …")
};

class TQExport {
  public:
    // A new engine in mode cTQExport on a module state and the host's services.
    TQExport(ModuleState& state, HostServices& services) : state_(state), services_(services) {}

    // Reads an export definition file into a new ExpDef; errors are reported, not raised. True
    // when the definition loaded without an error.
    bool LoadFile(const std::string& FileName);
    // Replaces ExpDef by an empty definition.
    void CreateNew();
    // Writes ExpDef as an export definition file; errors are reported, not raised. True when it
    // was written without an error.
    bool SaveFile(const std::string& FileName,
                  const std::optional<std::string>& Autor = std::nullopt);

    // Runs the definition against the session's database and writes the output file; returns 0
    // when the run completed (with or without rows), else the number of the error that stopped it.
    int32_t BuildExport();

    // Attaches the listener of the run's events (null detaches).
    void Advise(TQExportEvents* listener) { listener_ = listener; }

    TqMode Mode = cTQExport;              // cTQExport interactive, cTQGDPdU in a GDPdU build
    std::string SQLWhere;                 // condition appended to the statement
    std::shared_ptr<TQExportDef> ExpDef;  // the definition to run
    std::string Pfad;                     // folder of the definition files, set by LoadFile
    // In a GDPdU build: the fields (record and field index from 0) whose dates carry their time
    // even at midnight, so that one Format describes the column; the run adds the ones it meets.
    std::set<std::pair<size_t, size_t>> TimeOnEveryValue;
    // In a GDPdU build: the folder the output file is written into under its own name, for the
    // build to put in place; empty: the definition's file itself.
    std::string WriteInto;
    // An interactive run without rows: keep the output file, write it anew, or fail.
    IfEmpty WhenEmpty = IfEmpty::Keep;
    // The bounds of the date criterion the user chose (a GDPdU period), for the fields that write
    // them (LAUFWERT DatumVon, DatumBis, WJBeginn); empty where not given.
    std::optional<DateTime> PeriodFrom, PeriodTo;
    // False: the rows are not counted before the first, and the progress has its share only at
    // the last row (for a run nobody watches; the count reads the statement a second time).
    bool CountRows = true;

    // The current listener, or a silent one.
    TQExportEvents& Events();
    // The summary text of the last run ("Schnittstelle: …"), for hosts that show it.
    const std::string& LastSummary() const { return lastSummary_; }
    // Kept by the run.
    void SetLastSummary(std::string summary) { lastSummary_ = std::move(summary); }
    // The changes of data and the run without rows of the last run that completed, in the order of
    // the summary.
    const std::vector<RunNote>& LastNotes() const { return lastNotes_; }
    // Kept by the run.
    void SetLastNotes(std::vector<RunNote> notes) { lastNotes_ = std::move(notes); }
    // The data rows of the last run that completed, 0 after a failed one.
    int64_t LastRowCount() const { return lastRowCount_; }
    // Kept by the run.
    void SetLastRowCount(int64_t rows) { lastRowCount_ = rows; }
    // The rows the running export's statement delivers, as far as known (its count, corrected as
    // the rows arrive); 0 before the first row. A terminal's progress tells the time left by it.
    int64_t ExpectedRows() const { return expectedRows_; }
    // Kept by the run.
    void SetExpectedRows(int64_t rows) { expectedRows_ = rows; }
    // What the last run that completed wrote, by record layout; empty after a failed one.
    const WrittenFile& LastWritten() const { return lastWritten_; }
    // Kept by the run.
    void SetLastWritten(WrittenFile written) { lastWritten_ = std::move(written); }
    // The module state the engine works on.
    ModuleState& Module() const { return state_; }
    // The host's services the engine calls.
    HostServices& Host() const { return services_; }

  private:
    ModuleState& state_;
    HostServices& services_;
    TQExportEvents* listener_ = nullptr;
    std::string lastSummary_;
    std::vector<RunNote> lastNotes_;
    int64_t lastRowCount_ = 0;
    int64_t expectedRows_ = 0;
    WrittenFile lastWritten_;
};

}  // namespace norvik
