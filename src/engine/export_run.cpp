#include "engine/export_run.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <iterator>

#include "common/count_text.h"
#include "common/file_io.h"
#include "common/text_helpers.h"
#include "common/utf8.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"
#include "definition/yes_no_keys.h"
#include "engine/export_sql.h"
#include "engine/export_start.h"
#include "engine/host_files.h"
#include "engine/record_criteria.h"
#include "engine/run_value_texts.h"
#include "host/cancel_request.h"
#include "host/module_state.h"
#include "host/protocol.h"

namespace norvik {
namespace {

constexpr size_t kShownValueLength = 80;  // of a cut value named in the summary
constexpr const char* kNoData = "Keine Daten im angegebenen Bereich vorhanden.";
constexpr std::string_view kUnchanged = "die Ausgabedatei ist unverändert.";
constexpr std::string_view kNotCutBack =
    "die Ausgabedatei ließ sich nicht auf ihre frühere Länge zurücksetzen und enthält die bis "
    "dahin angefügten Zeilen.";
constexpr const char* kCancelledMessage =
    "Der Export wurde abgebrochen; die Ausgabedatei ist unverändert.";

// The time a midnight date/time's text leaves out, for a column written with its time throughout.
void AppendMidnight(const Value& value, std::string& text) {
    const DateTime* date = std::get_if<DateTime>(&value);
    if (!date) return;
    if (date->IsZeroDate()) {
        // Its text is the time alone: the column's one Format needs the date too.
        if (text.find('.') == std::string::npos) text.insert(0, "30.12.1899 ");
    } else if (text.find(':') == std::string::npos) {
        text += " 00:00:00";
    }
}

// The time a file was last written, as dd.mm.yyyy hh:mm:ss; empty when there is no file.
std::string FileStand(const std::string& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(NativePath(path), error);
    if (error) return "";
    const std::time_t time =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    return text;
}

// Adds a count per field name, in the order the names were first met.
void AddCount(std::vector<std::pair<std::string, int64_t>>& counts, const std::string& name,
              int64_t count) {
    auto it = std::find_if(counts.begin(), counts.end(),
                           [&](const auto& entry) { return entry.first == name; });
    if (it == counts.end())
        counts.emplace_back(name, count);
    else
        it->second += count;
}

// The share of count that bookmark rows are, as a whole percent.
int16_t ProgressPercent(int64_t bookmark, int64_t count) {
    const double percent =
        count > 0 ? static_cast<double>(bookmark) * (100.0 / static_cast<double>(count)) : 0.0;
    return RoundToInteger(std::min(percent, 100.0));
}

// The most rows one look at the percent covers.
constexpr int64_t kProgressStep = int64_t{1} << 20;

}  // namespace

int32_t TQExport::BuildExport() {
    return ExportRun(*this).Execute();
}

int32_t ExportRun::Execute() {
    try {
        for (;;) {
            try {
                Run();
                return 0;
            } catch (const MixedDates& mixed) {
                // Written again from the start with the time on every value of that column.
                out_.Discard();
                if (rows_) rows_->Close();
                engine_.TimeOnEveryValue.insert(mixed.field);
            }
        }
    } catch (const std::exception& e) {
        // A stop cancels a statement the server was still working on; its error is the stop.
        const VbError error =
            CancelRequested() ? VbError(kErrUserInterrupt, kCancelledMessage) : ToVbError(e);
        Fail(error.Number(), error.Description());
        return error.Number();
    }
}

void ExportRun::Run() {
    Begin();
    OpenRows();
    PlanRecords();
    // Whether there are rows is the statement's own answer, not the count taken beforehand.
    if (!rows_->Eof())
        WriteRows();
    else if (!interactive_)
        WriteEmptyMediumFile();
    else if (engine_.WhenEmpty == IfEmpty::Write)
        WriteWithoutRows();
    rows_->Close();
    Finish();
}

void ExportRun::Begin() {
    interactive_ = engine_.Mode == cTQExport;
    engine_.SetLastSummary("");
    engine_.SetLastNotes({});
    engine_.SetLastRowCount(0);
    engine_.SetExpectedRows(0);
    engine_.SetLastWritten({});
    if (!engine_.ExpDef) throw VbError(kErrObjectNotSet);
    // A listener may load another definition between rows; this run keeps its own alive.
    defHold_ = engine_.ExpDef;
    def_ = defHold_.get();
    flags_ = FlagsOf(*def_);
    nameChanges_ = def_->FeldLänge == "Fix" || def_->FeldLänge == "Max";
    MakeRunValues();
    protocol_ =
        state_.Settings().ReadValue("TQBExport", "ProtokollErzeugen", state_.userName, "1") == "1";
    // A relative name would point elsewhere once the run is remembered and repeated from another
    // folder.
    target_ = AbsolutePath(def_->Dateiname);
    writtenPath_ = engine_.WriteInto.empty()
                       ? target_
                       : (NativePath(engine_.WriteInto) / NativePath(target_).filename()).string();

    // An earlier run's entry is complete; nothing of this run belongs in it.
    if (interactive_) CloseProtocol(state_);
    // Open before the statement, so that a run that fails before its first row leaves its entry.
    if (interactive_ && protocol_)
        OpenProtocol(state_, services_, "Datenexport", state_.userName, "LST_GDPdU", TodayText(),
                     def_->Schnittstelle, def_->Dateiname, "");
    CheckFieldLengths();
    const std::string& format = def_->Dateiformat;
    if (!format.empty() && format != "ANSI" && format != "ASCII" && format != "UTF-8")
        warning_ = "Hinweis: Das Dateiformat \"" + format +
                   "\" ist unbekannt (ANSI, ASCII oder UTF-8); die Datei wurde im "
                   "Windows-Zeichensatz (ANSI) geschrieben.";
}

void ExportRun::OpenRows() {
    if (TrimBlanks(def_->Datenquelle).empty()) throw VbError(kErrInvalidArgument, kNoSourceMessage);
    const std::string sql = BuildExportSql(def_->Datenquelle, engine_.SQLWhere);
    // The count and the first row may take long (a sort): a host's windows answer meanwhile.
    WaitForStatement([&] {
        rows_ = state_.Session().Connection()->OpenRecordSet(
            sql, {}, engine_.CountRows ? db::RowCount::Counted : db::RowCount::Uncounted);
        rows_->Eof();
    });
}

void ExportRun::PlanRecords() {
    fieldColumns_.clear();
    criteriaColumns_.clear();
    fieldPlans_.clear();
    formFields_.clear();
    written_ = {};
    formatter_.Prepare(*def_);
    size_t index = 0;
    for (const auto& record : *def_->Records) PlanRecord(index++, *record);
    rowCount_ = rowsWritten_ = 0;
    cuts_.clear();
    replaced_.clear();
    joined_.clear();
    changes_.clear();
    changesUnnamed_ = 0;
    noRow_ = emptyWritten_ = false;
}

void ExportRun::OpenOutput(bool append) {
    RefuseHostFile(state_, target_);
    out_.Open(writtenPath_, append);
    out_.SetUtf8(def_->Dateiformat == "UTF-8");
}

void ExportRun::WriteRows() {
    StopWhenCancelled();
    // A data medium's file holds what its index describes: this run's rows, never an earlier
    // run's in front of them.
    OpenOutput(interactive_ && flags_.append);
    rows_->MoveFirst();
    WriteHeaderLines();
    // A data layout that writes no line would have begun here.
    for (WrittenLayout& layout : written_.layouts)
        if (layout.lines == 0) layout.firstLine = written_.lines + 1;

    const std::shared_ptr<TQRecords> recordsHold = def_->Records;
    rows_->MoveFirst();
    while (!rows_->Eof()) {
        WriteDataLines(*recordsHold);
        ReportProgress();
        rows_->MoveNext();
        services_.PumpMessages();
        StopWhenCancelled();
    }
    rows_->MoveLast();
    WriteRecordsOf(Nachlauf, false);
    out_.Commit();
}

void ExportRun::WriteDataLines(const TQRecords& records) {
    ++rowCount_;
    size_t i = 0;
    for (const auto& record : records) {
        const size_t index = i++;
        if (record->FieldTyp != Standard) continue;
        BuildRecordLine(index, *record);
        if (record->CriteriaField.empty() || RecordCriterionHolds(index, *record))
            WriteLayoutLine(index);
        else
            out_.DropLine();
    }
    ++rowsWritten_;
}

void ExportRun::ReportProgress() {
    const int64_t bookmark = rows_->Bookmark();
    engine_.Events().RowsExported(bookmark);
    const fmt::format_int digits(bookmark);
    info_.assign(digits.data(), digits.size());
    info_ += " Datensätze exportiert.";
    engine_.Events().strInfo(info_);
    // A count still being taken gives rows without a share.
    const int64_t count = std::max<int64_t>(rows_->RecordCount(), 0);
    engine_.SetExpectedRows(count);
    if (count != progressCount_ || bookmark < progressFrom_ || bookmark >= progressUntil_) {
        progressCount_ = count;
        progressFrom_ = bookmark;
        progressPercent_ = ProgressPercent(bookmark, count);
        // The percent never falls as the rows rise: the first row of the next one is searched.
        int64_t low = bookmark, high = bookmark + 1;
        while (high - bookmark < kProgressStep && ProgressPercent(high, count) == progressPercent_)
            high = bookmark + 2 * (high - bookmark);
        while (high - low > 1) {
            const int64_t middle = low + (high - low) / 2;
            (ProgressPercent(middle, count) == progressPercent_ ? low : high) = middle;
        }
        progressUntil_ = high;
    }
    engine_.Events().ExportProgress(progressPercent_);
}

void ExportRun::WriteEmptyMediumFile() {
    // The medium's index names this file, so a table without rows gets an empty one.
    OpenOutput(false);
    out_.Commit();
}

void ExportRun::WriteWithoutRows() {
    // What a run without rows writes: the title line, the header and the trailer record with
    // empty columns.
    StopWhenCancelled();
    OpenOutput(flags_.append);
    noRow_ = true;
    WriteHeaderLines();
    WriteRecordsOf(Nachlauf, false);
    noRow_ = false;
    out_.Commit();
    emptyWritten_ = true;
}

void ExportRun::Finish() {
    engine_.SetLastWritten(std::move(written_));
    if (interactive_ && !def_->Schnittstelle.empty()) RememberOutputFile();
    GatherNotes();
    const std::string summary = Summary();
    engine_.SetLastSummary(summary);
    engine_.SetLastNotes(notes_);
    engine_.SetLastRowCount(rowCount_);
    if (interactive_) {
        engine_.Events().ExportState(rowCount_ > 0 ? "Datenexport erfolgreich durchgeführt."
                                                   : kNoData);
        if (protocol_) WriteProtocolLine(state_, services_, summary);
        CloseProtocol(state_);
        if (!warning_.empty()) services_.Messages().ShowText(warning_, 3);
    } else {
        services_.Messages().ShowText(summary, 4);
        WriteProtocolLine(state_, services_, summary);
        // The build names the table of each change of data.
    }
    engine_.Events().Done(true);
}

void ExportRun::CheckFieldLengths() const {
    // Padding allocates the whole length for every value, so a stray huge length would exhaust
    // memory.
    if (def_->FeldLänge != "Fix") return;
    for (const auto& record : *def_->Records)
        for (const auto& field : *record->Fields)
            if (field->Länge > kMaxFieldLength)
                throw VbError(kErrInvalidArgument,
                              fmt::format("Die Länge {} des Feldes {} ist zu groß; eine feste "
                                          "Feldlänge darf {} Zeichen nicht übersteigen.",
                                          field->Länge, field->Name, kMaxFieldLength));
}

void ExportRun::StopWhenCancelled() const {
    if (CancelRequested()) throw VbError(kErrUserInterrupt, kCancelledMessage);
}

void ExportRun::RememberOutputFile() {
    // The data is written; a settings folder that cannot take the name does not undo that.
    try {
        services_.UserSettings().Save("TQBExport", "Schnittstelle", def_->Schnittstelle, target_);
    } catch (const VbError& e) {
        warning_ += (warning_.empty() ? "" : "\r\n") +
                    std::string(
                        "Warnung: Die Ausgabedatei wurde nicht als zuletzt verwendete "
                        "Datei gespeichert. ") +
                    e.Description();
    }
}

void ExportRun::WriteHeaderLines() {
    // A file gets its header line when this run starts it, never in the middle.
    const bool titleLine = flags_.titleLine && out_.StartsFile();
    const bool all = flags_.allHeaderRecords;
    // Formats like DATEV's open with their header records and name the columns after them.
    if (titleLine && !all) WriteHeaderLine();
    WriteRecordsOf(Vorlauf, all);
    if (titleLine && all) WriteHeaderLine();
}

void ExportRun::MakeRunValues() {
    bool used = false;
    for (const auto& record : *def_->Records)
        for (const auto& field : *record->Fields) used = used || field->FeldArt == "Laufwert";
    if (!used) return;
    RunFacts facts{std::chrono::system_clock::now(), engine_.PeriodFrom, engine_.PeriodTo,
                   state_.userName, ""};
    for (const auto& param : *def_->Parameter)
        if (LowerCase(param->Name) == "wjbeginn") facts.fiscalYearStart = TrimBlanks(param->Value);
    runValues_ = RunValueTexts(facts);
}

void ExportRun::WriteRecordsOf(tqFieldTyp kind, bool all) {
    size_t i = 0;
    for (const auto& record : *def_->Records) {
        const size_t index = i++;
        if (record->FieldTyp != kind) continue;
        BuildRecordLine(index, *record);
        WriteLayoutLine(index);
        if (!all) return;
    }
}

void ExportRun::WriteHeaderLine() {
    for (const auto& record : *def_->Records) {
        if (record->FieldTyp != Standard) continue;
        line_.clear();
        int constants = 0, parameters = 0;
        for (const auto& field : *record->Fields) {
            if (field->FeldArt == "Field")
                line_ += field->Name;
            else if (field->FeldArt == "Const")
                line_ += "Konstante " + std::to_string(++constants);
            else if (field->FeldArt == "Param")
                line_ += "Parameter " + std::to_string(++parameters);
            line_ += def_->Feldtrenner;
        }
        out_.WriteLine(line_);
        written_.headerLine = true;
        ++written_.lines;
        return;
    }
}

int ExportRun::ColumnOf(int& cached, const std::string& name, const TQRecord& record,
                        const char* role) {
    if (cached == -2) cached = rows_->FindField(name);
    if (cached >= 0) return cached;
    // The classic "not in this collection" leaves a newcomer guessing which name is wrong.
    std::string columns;
    for (int i = 0; i < rows_->FieldCount(); ++i)
        columns += (i == 0 ? "" : ", ") + rows_->FieldName(i);
    throw VbError(kErrUnknownColumn,
                  fmt::format("{} {} des Datensatzes {}: die Datenquelle liefert keine Spalte "
                              "{}; ihre Spalten sind {}.",
                              role, name, record.Name, name, columns.empty() ? "keine" : columns));
}

void ExportRun::PlanRecord(size_t recordIndex, const TQRecord& record) {
    if (recordIndex >= fieldPlans_.size()) {
        fieldPlans_.resize(recordIndex + 1);
        formFields_.resize(recordIndex + 1);
        fieldColumns_.resize(recordIndex + 1);
        criteriaColumns_.resize(recordIndex + 1, -2);
    }
    if (recordIndex >= written_.layouts.size()) written_.layouts.resize(recordIndex + 1);
    auto& plans = fieldPlans_[recordIndex];
    plans.clear();
    std::vector<size_t>& forms = formFields_[recordIndex];
    forms.clear();
    for (const auto& field : *record.Fields) {
        FieldFormatter::FieldPlan plan = formatter_.Plan(*field);
        // In a data medium an empty foreign key names no row; 0 would name one that is not there.
        plan.emptyStaysEmpty =
            !interactive_ && plan.type == FieldFormatter::FieldPlan::Type::Number &&
            plan.source == FieldFormatter::FieldPlan::Source::Column && IsForeignKeyField(*field);
        plan.timeAlways = !interactive_ && plan.type == FieldFormatter::FieldPlan::Type::Date &&
                          engine_.TimeOnEveryValue.contains({recordIndex, plans.size()});
        plan.oneLine = !interactive_;
        if (plan.type == FieldFormatter::FieldPlan::Type::Number ||
            plan.type == FieldFormatter::FieldPlan::Type::Date)
            forms.push_back(plans.size());
        plans.push_back(plan);
    }
    fieldColumns_[recordIndex].assign(plans.size(), -2);
}

void ExportRun::WriteLayoutLine(size_t recordIndex) {
    if (!pendingCuts_.empty() || !numberCut_.empty() || !pendingReplaced_.empty() ||
        !pendingJoined_.empty() || !pendingRounded_.empty())
        CountCuts(recordIndex);
    out_.EndLine();
    WrittenLayout& layout = written_.layouts[recordIndex];
    ++written_.lines;
    if (layout.lines++ == 0) layout.firstLine = written_.lines;
    layout.lastLine = written_.lines;
    if (layout.fields.size() < lineForms_.size()) layout.fields.resize(lineForms_.size());
    // Only numbers and dates have a form to note.
    for (const size_t i : formFields_[recordIndex]) {
        WrittenField& field = layout.fields[i];
        field.decimals = std::max(field.decimals, lineForms_[i].decimals);
        const WrittenField& value = lineForms_[i];
        field.withTime = field.withTime || value.withTime;
        field.dateOnly = field.dateOnly || value.dateOnly;
        field.timeOnly = field.timeOnly || value.timeOnly;
        field.dateAndTime = field.dateAndTime || (value.withTime && !value.timeOnly);
        // A data medium describes a column with one Format: dates with and without their time,
        // or times without their date, cannot share it.
        const bool mixed =
            (field.withTime && field.dateOnly) || (field.timeOnly && field.dateAndTime);
        if (mixed && !interactive_ && !engine_.TimeOnEveryValue.contains({recordIndex, i}))
            throw MixedDates{{recordIndex, i}};
    }
}

void ExportRun::BuildRecordLine(size_t recordIndex, const TQRecord& record) {
    // A listener may have changed the layouts between rows; plan them again then.
    if (recordIndex >= fieldPlans_.size() ||
        fieldPlans_[recordIndex].size() != static_cast<size_t>(record.Fields->Count()))
        PlanRecord(recordIndex, record);
    EncodedBuffer& line = out_.BeginLine();
    pendingCuts_.clear();
    numberCut_.clear();
    lineForms_.resize(static_cast<size_t>(record.Fields->Count()));
    std::vector<int>& columns = fieldColumns_[recordIndex];
    const std::vector<FieldFormatter::FieldPlan>& plans = fieldPlans_[recordIndex];
    pendingReplaced_.clear();
    pendingJoined_.clear();
    pendingUncut_.clear();
    pendingRounded_.clear();
    const int32_t count = record.Fields->Count();
    const Value* row = noRow_ ? nullptr : rows_->CurrentRow();
    int32_t counter = 0;
    for (const auto& field : *record.Fields) {
        const size_t i = static_cast<size_t>(counter);
        // Characters written as "?" are counted per field, once the line is written.
        const size_t replacedBefore = line.ReplacedCharacters() + formatter_.DosReplaced();
        const FieldFormatter::FieldPlan& plan = plans[i];
        if (plan.source == FieldFormatter::FieldPlan::Source::Column) {
            const int column = columns[i] >= 0
                                   ? columns[i]
                                   : ColumnOf(columns[i], field->Name, record, "Das Feld");
            if (!row && !noRow_) throw VbError(kErrNoCurrentRow);
            static const Value kNoValue;
            const Value& value = row ? row[column] : kNoValue;
            if (!formatter_.AppendDirect(plan, value, line, lineForms_[i])) {
                std::string& raw = formatter_.Raw();
                const double* number = std::get_if<double>(&value);
                // The normaliser drops letters and signs: an exponent would become digits.
                if (number && plan.type == FieldFormatter::FieldPlan::Type::Number)
                    AppendPlainDouble(raw, *number);
                else
                    AppendText(raw, value);
                if (plan.timeAlways && !plan.format) AppendMidnight(value, raw);
                FinishField(plan, *field, record, line, lineForms_[i]);
            }
        } else {
            std::string& raw = formatter_.Raw();
            if (plan.source == FieldFormatter::FieldPlan::Source::Parameter)
                raw = def_->Parameter->Item(field->Name)->Value;
            else if (plan.source == FieldFormatter::FieldPlan::Source::RunValue)
                raw = runValues_[static_cast<size_t>(plan.runValue)];
            FinishField(plan, *field, record, line, lineForms_[i]);
        }
        if (const size_t replaced =
                line.ReplacedCharacters() + formatter_.DosReplaced() - replacedBefore;
            replaced > 0)
            pendingReplaced_.emplace_back(&field->Name, replaced);
        if (++counter < count) line.AppendText(def_->Feldtrenner);
    }
}

void ExportRun::FinishField(const FieldFormatter::FieldPlan& plan, const TQField& field,
                            const TQRecord& record, EncodedBuffer& line, WrittenField& form) {
    line_.clear();
    formatter_.Finish(plan, field, line_);
    line.AppendText(line_);
    form = formatter_.LastForm();
    if (formatter_.LastCut()) NoteCut(record, field, plan);
    if (formatter_.LastRounded())
        pendingRounded_.push_back({&field, formatter_.Unrounded(), form.decimals});
    if (formatter_.LastJoined()) pendingJoined_.push_back(&field.Name);
}

void ExportRun::NoteCut(const TQRecord& record, const TQField& field,
                        const FieldFormatter::FieldPlan& plan) {
    if (plan.type != FieldFormatter::FieldPlan::Type::Number) {
        pendingCuts_.push_back(&field);
        if (nameChanges_) pendingUncut_.push_back(formatter_.Uncut());
        return;
    }
    if (!numberCut_.empty()) return;
    // A till that reads 34.50 for 1234.50 sells at the wrong price: such a line is not written.
    const std::string where = record.FieldTyp == Vorlauf ? "Im Vorlaufsatz"
                              : record.FieldTyp == Nachlauf
                                  ? "Im Nachlaufsatz"
                                  : fmt::format("In Datensatz {}", GroupedCount(rowCount_));
    numberCut_ = fmt::format(
        "{} passt der Wert {} des Feldes {} nicht in seine Länge von {} "
        "Zeichen; eine Zahl wird nicht gekürzt. Bitte die Länge des Feldes in "
        "der Exportdefinition vergrößern.",
        where, formatter_.Uncut(), field.Name, field.Länge);
}

void ExportRun::CountCuts(size_t recordIndex) {
    if (!numberCut_.empty()) throw VbError(kErrOverflow, numberCut_);
    if (nameChanges_) NameChanges(recordIndex);
    for (const TQField* field : pendingCuts_) {
        AddCount(cuts_, field->Name, 1);
        cutLengths_[field->Name] = field->Länge;
    }
    for (const auto& [name, count] : pendingReplaced_)
        AddCount(replaced_, *name, static_cast<int64_t>(count));
    for (const std::string* name : pendingJoined_) AddCount(joined_, *name, 1);
}

void ExportRun::NameChanges(size_t recordIndex) {
    // A fixed layout's reader (DATEV's import, a till) refuses or changes such values itself:
    // each is named by its line, so the bookkeeper corrects it before handing the file over.
    const tqFieldTyp kind = def_->Records->Item(static_cast<int32_t>(recordIndex) + 1)->FieldTyp;
    const std::string place =
        fmt::format("Zeile {} ({})", GroupedCount(static_cast<int64_t>(written_.lines) + 1),
                    kind == Vorlauf    ? std::string("Vorlaufsatz")
                    : kind == Nachlauf ? std::string("Nachlaufsatz")
                                       : "Datensatz " + GroupedCount(rowCount_));
    const auto name = [&](const std::string& field, std::string what) {
        if (changes_.size() < kNamedChanges)
            changes_.push_back({RunNote::Kind::Changed, field, 1,
                                fmt::format("Warnung: {}, Feld {}: {}.", place, field, what)});
        else
            ++changesUnnamed_;
    };
    // DOS letters are other characters in this text: the value is named only in ANSI and UTF-8.
    const bool showValue = def_->Dateiformat != "ASCII";
    for (size_t i = 0; i < pendingCuts_.size(); ++i) {
        std::string what = fmt::format("auf {} Zeichen gekürzt", pendingCuts_[i]->Länge);
        if (showValue && i < pendingUncut_.size()) {
            // A line break would split the summary's line.
            std::string uncut = pendingUncut_[i];
            std::replace_if(
                uncut.begin(), uncut.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
            const bool long_ = CharCount(uncut) > kShownValueLength;
            what +=
                fmt::format(", vorher \"{}{}\"",
                            long_ ? LeftChars(uncut, kShownValueLength) : uncut, long_ ? "…" : "");
        }
        name(pendingCuts_[i]->Name, std::move(what));
    }
    for (const auto& [field, count] : pendingReplaced_)
        name(*field, fmt::format("{} Zeichen als ? geschrieben", count));
    for (const RoundedValue& rounded : pendingRounded_)
        name(rounded.field->Name,
             fmt::format("{} auf {} Nachkommastellen gerundet", rounded.before, rounded.decimals));
}

bool ExportRun::RecordCriterionHolds(size_t recordIndex, const TQRecord& record) {
    if (recordIndex >= criteriaColumns_.size()) PlanRecord(recordIndex, record);
    const Value& value = rows_->Item(
        ColumnOf(criteriaColumns_[recordIndex], record.CriteriaField, record, "Das Kriterium"));
    return CriterionHolds(value, record.CriteriaOperator, record.CriteriaValue);
}

std::string ExportRun::Summary() const {
    std::string text = fmt::format("Schnittstelle: {}\r\n", def_->Schnittstelle);
    auto add = std::back_inserter(text);
    if (rowCount_ > 0)
        fmt::format_to(add, "Ausgabe Daten: {} {} exportiert.\r\nAusgabedatei: {}", rowCount_,
                       rowCount_ == 1 ? "Datensatz" : "Datensätze", target_);
    else
        fmt::format_to(add, "Ausgabe Daten: {}\r\nAusgabedatei: {}", kNoData,
                       interactive_ && !emptyWritten_ ? "<keine>" : target_);
    for (const RunNote& note : notes_) fmt::format_to(add, "\r\n{}", note.text);
    if (!warning_.empty()) fmt::format_to(add, "\r\n{}", warning_);
    return text;
}

void ExportRun::GatherNotes() {
    notes_.clear();
    if (rowCount_ == 0 && interactive_) {
        const std::string stand = FileStand(target_);
        const std::string file =
            stand.empty()
                ? fmt::format("die Ausgabedatei {} gibt es nicht und wurde nicht angelegt", target_)
                : fmt::format("die Ausgabedatei {} blieb unverändert (Stand {})", target_, stand);
        std::string text = "Keine Daten: Die Auswahl ergab keine Datensätze";
        if (emptyWritten_)
            text += fmt::format("; die Ausgabedatei {} wurde ohne Datensätze neu geschrieben.",
                                target_);
        else if (engine_.WhenEmpty == IfEmpty::Fail)
            text += ", der Lauf gilt als fehlgeschlagen; " + file + ".";
        else
            text += "; " + file + ".";
        notes_.push_back({RunNote::Kind::NoData, "", 0, std::move(text)});
    }
    for (const auto& [name, count] : replaced_)
        notes_.push_back(
            {RunNote::Kind::Replaced, name, count,
             def_->Dateiformat == "ASCII"
                 ? fmt::format("Warnung: {} Zeichen des Feldes {} {} als ? geschrieben; umgesetzt "
                               "werden nur ä ö ü Ä Ö Ü ß (Dateiformat ASCII).",
                               GroupedCount(count), name, count == 1 ? "wurde" : "wurden")
                 : fmt::format("Warnung: {} Zeichen des Feldes {} {} als ? geschrieben; der "
                               "Windows-Zeichensatz (ANSI) hat {} nicht (UTF-8 behält {}).",
                               GroupedCount(count), name, count == 1 ? "wurde" : "wurden",
                               count == 1 ? "es" : "sie", count == 1 ? "es" : "sie")});
    for (const auto& [name, count] : cuts_) {
        const auto length = cutLengths_.find(name);
        notes_.push_back({RunNote::Kind::Cut, name, count,
                          fmt::format("Warnung: {} {} des Feldes {} {} auf die Feldlänge von {} "
                                      "Zeichen gekürzt.",
                                      GroupedCount(count), count == 1 ? "Wert" : "Werte", name,
                                      count == 1 ? "wurde" : "wurden",
                                      length == cutLengths_.end() ? 0 : length->second)});
    }
    for (const auto& [name, count] : joined_)
        notes_.push_back({RunNote::Kind::LineBreak, name, count,
                          fmt::format("Warnung: In {} {} des Feldes {} wurden die Zeilenumbrüche "
                                      "als Leerzeichen geschrieben.",
                                      GroupedCount(count), count == 1 ? "Wert" : "Werten", name)});
    notes_.insert(notes_.end(), changes_.begin(), changes_.end());
    if (changesUnnamed_ > 0)
        notes_.push_back(
            {RunNote::Kind::Changed, "", changesUnnamed_,
             fmt::format("Warnung: {} weitere Änderungen dieser Art sind nicht einzeln "
                         "genannt.",
                         GroupedCount(changesUnnamed_))});
    if (!out_.PermissionsLost().empty())
        notes_.push_back({RunNote::Kind::Permissions, "", 0,
                          fmt::format("Warnung: Die Ausgabedatei {} hat die Zugriffsrechte der "
                                      "früheren nicht übernommen ({}).",
                                      target_, out_.PermissionsLost())});
}

void ExportRun::Fail(int32_t number, const std::string& descriptionOfError) {
    // Only a completed run changes the output file: a failed one leaves the last good file.
    std::string description = descriptionOfError;
    const bool wasOpen = out_.IsOpen();
    // An appended file that cannot be cut back keeps this run's lines: never call it unchanged.
    const bool restored = out_.Discard();
    if (!restored)
        for (size_t at; (at = description.find(kUnchanged)) != std::string::npos;)
            description.replace(at, kUnchanged.size(), kNotCutBack);
    if (wasOpen && number != kErrUserInterrupt) {
        if (!description.empty() &&
            std::string_view(".!?").find(description.back()) == std::string_view::npos)
            description += '.';
        description +=
            fmt::format(" Bis dahin {} {} {} geschrieben; {}", rowsWritten_ == 1 ? "war" : "waren",
                        GroupedCount(rowsWritten_), rowsWritten_ == 1 ? "Datensatz" : "Datensätze",
                        restored ? kUnchanged : kNotCutBack);
    }
    if (rows_) rows_->Close();
    if (interactive_)
        services_.Messages().ReportError("TQExport", "BuildExport", number, description, true);
    else if (number != kErrUserInterrupt)  // the build says what a stop leaves
        services_.Messages().ShowText("Fehler: " + description, 0);
    const std::string text = fmt::format("Fehler: {} {}", number, description);
    // A failure before the protocol was opened has nothing to add to; the failure itself was
    // reported above, once.
    if (state_.protocol) WriteProtocolLine(state_, services_, text);
    if (interactive_) CloseProtocol(state_);
    engine_.Events().ExportState(text);
    engine_.Events().Done(true);
}

}  // namespace norvik
