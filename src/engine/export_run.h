#pragma once
// One run of an export definition: statement, output file, events, summary and protocol.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/output_file.h"
#include "db/record_set.h"
#include "definition/yes_no_keys.h"
#include "engine/field_formatter.h"
#include "engine/tq_export.h"

namespace norvik {

// A column of a data medium met dates with and without their time; the run starts again.
struct MixedDates {
    std::pair<size_t, size_t> field;  // record and field index
};

class ExportRun {
  public:
    explicit ExportRun(TQExport& engine)
        : engine_(engine), state_(engine.Module()), services_(engine.Host()) {}
    // Runs the definition; 0 when it completed (with or without rows), else the error number.
    int32_t Execute();

  private:
    // The steps of a run, in order.
    void Run();
    // Resets what the engine keeps of the last run, takes the definition, opens the protocol.
    void Begin();
    // Runs the statement up to its first row.
    void OpenRows();
    // Plans every record layout's fields and resets the counts.
    void PlanRecords();
    // Writes the title line, the header record, a line per row and layout, the trailer record.
    void WriteRows();
    // The lines of the current row's data layouts.
    void WriteDataLines(const TQRecords& records);
    // Tells the listener the rows written so far and the share of the count.
    void ReportProgress();
    // A medium's table without rows: its file, empty.
    void WriteEmptyMediumFile();
    // An interactive run without rows that writes its file: title line, header and trailer.
    void WriteWithoutRows();
    // Keeps the outcome in the engine, writes the summary and the protocol, ends the events.
    void Finish();
    void OpenOutput(bool append);
    void CheckFieldLengths() const;
    // The texts of the run values, when a field writes one.
    void MakeRunValues();
    // What comes before the first data line: the title line and the header record, or with
    // AlleVorlaufsaetze every header record and then the title line.
    void WriteHeaderLines();
    void WriteHeaderLine();
    // Builds and writes the first record of a kind (header or trailer record), or all of them, from
    // the current row.
    void WriteRecordsOf(tqFieldTyp kind, bool all);
    void StopWhenCancelled() const;
    void RememberOutputFile();
    // Makes the formatter's plans and the column slots of a record.
    void PlanRecord(size_t recordIndex, const TQRecord& record);
    // Begins the line of a record in the output file and builds it from the current row.
    void BuildRecordLine(size_t recordIndex, const TQRecord& record);
    // Formats a field's raw value through the formatter's steps and appends it to the line.
    void FinishField(const FieldFormatter::FieldPlan& plan, const TQField& field,
                     const TQRecord& record, EncodedBuffer& line, WrittenField& form);
    // Ends the line begun as a line of the record layout and notes it in written_.
    void WriteLayoutLine(size_t recordIndex);
    bool RecordCriterionHolds(size_t recordIndex, const TQRecord& record);
    // A value of the line cut to its field's length: a number fails the run, a text is counted,
    // once the line is written.
    void NoteCut(const TQRecord& record, const TQField& field,
                 const FieldFormatter::FieldPlan& plan);
    // Raises for a cut number of the line, else counts its cut texts.
    void CountCuts(size_t recordIndex);
    // Names each change of the line's values, for a definition of fixed or maximum lengths.
    void NameChanges(size_t recordIndex);
    // The column of a field or criterion; raises 3265 naming it, its record and the result's
    // columns.
    int ColumnOf(int& cached, const std::string& name, const TQRecord& record, const char* role);
    // The notes of a completed run: no rows, values cut, characters written as "?", line breaks.
    void GatherNotes();
    std::string Summary() const;
    void Fail(int32_t number, const std::string& description);

    TQExport& engine_;
    ModuleState& state_;
    HostServices& services_;
    std::shared_ptr<TQExportDef> defHold_;
    TQExportDef* def_ = nullptr;
    std::unique_ptr<db::RecordSet> rows_;
    OutputFile out_;
    std::string target_;   // the output file, made absolute
    std::string warning_;  // shown after a complete run
    FieldFormatter formatter_;
    bool protocol_ = false;
    bool interactive_ = true;  // an export of its own, not a table of a data medium
    DefinitionFlags flags_;
    std::string writtenPath_;  // where the file is written (the target, or a medium's folder)
    int64_t rowCount_ = 0;
    int64_t rowsWritten_ = 0;  // rows whose lines are all in the file
    // Values cut per field name, in the order first met.
    std::vector<std::pair<std::string, int64_t>> cuts_;
    std::map<std::string, int32_t> cutLengths_;  // the length of each cut field
    // Characters written as "?" and values whose line breaks became blanks, per field name.
    std::vector<std::pair<std::string, int64_t>> replaced_;
    std::vector<std::pair<std::string, int64_t>> joined_;
    std::vector<const TQField*> pendingCuts_;  // the texts cut in the line
    std::vector<std::pair<const std::string*, size_t>> pendingReplaced_;
    std::vector<const std::string*> pendingJoined_;
    std::vector<RunNote> notes_;
    // A number written with fewer decimals than it had.
    struct RoundedValue {
        const TQField* field;
        std::string before;
        int32_t decimals;
    };
    static constexpr size_t kNamedChanges = 100;  // more are counted, not named
    bool nameChanges_ = false;                    // a fixed or maximum length layout
    std::vector<std::string> pendingUncut_;       // the cut texts of the line, before the cut
    std::vector<RoundedValue> pendingRounded_;
    std::vector<RunNote> changes_;  // every change named, up to kNamedChanges
    int64_t changesUnnamed_ = 0;
    std::array<std::string, 7> runValues_;  // the texts of the run values, in RunValue order
    bool noRow_ = false;         // records are built without a row: their columns are empty
    bool emptyWritten_ = false;  // a run without rows wrote its file
    std::string numberCut_;      // the failure of a number cut in the line
    std::string line_;           // the header line, or a field's text from the formatter
    std::string info_;           // the progress text, reused row after row
    // The percent last reported, for the rows from progressFrom_ to below progressUntil_ of a
    // count of progressCount_: it changes a hundred times a run, not every row.
    int64_t progressCount_ = -1;
    int64_t progressFrom_ = 0;
    int64_t progressUntil_ = 0;
    int16_t progressPercent_ = 0;
    // Column of each field and of each record's criterion, looked up on first use (-2: not yet).
    std::vector<std::vector<int>> fieldColumns_;
    std::vector<int> criteriaColumns_;
    // The formatter's plan of each field, made once per run.
    std::vector<std::vector<FieldFormatter::FieldPlan>> fieldPlans_;
    // The fields of each record whose written values have a form (numbers and dates).
    std::vector<std::vector<size_t>> formFields_;
    WrittenFile written_;
    std::vector<WrittenField> lineForms_;  // of the fields of the line
};

}  // namespace norvik
