#include "engine/export_run.h"

#include <cmath>

#include "common/text_helpers.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"
#include "definition/exp_writer.h"
#include "engine/record_criteria.h"
#include "engine/sql_text.h"
#include "host/host_messages.h"
#include "host/message_pump.h"
#include "host/module_state.h"
#include "host/protocol.h"
#include "host/user_settings.h"

namespace norvik {
namespace {

constexpr const char* kNoData = "Keine Daten im angegebenen Bereich vorhanden.";

}  // namespace

int32_t TQExport::BuildExport() { return ExportRun(*this).Execute(); }

int32_t ExportRun::Execute() {
    try {
        Run();
        return 0;
    } catch (const VbError& e) {
        Fail(e.Number(), e.Description());
        return e.Number();
    } catch (const std::exception& e) {
        Fail(kErrDatabase, e.what());
        return kErrDatabase;
    }
}

void ExportRun::Run() {
    engine_.SetLastSummary("");
    if (!engine_.ExpDef) throw VbError(kErrObjectNotSet);
    // A listener may load another definition between rows; this run keeps its own alive.
    defHold_ = engine_.ExpDef;
    def_ = defHold_.get();
    if (!gHostSettings) throw VbError(kErrObjectNotSet);
    protocol_ = gHostSettings->ReadValue("TQBExport", "ProtokollErzeugen", gUserName, "1") == "1";

    const std::string sql = BuildExportSql(def_->Datenquelle, engine_.SQLWhere);
    if (!gSession) throw VbError(kErrObjectNotSet);
    rows_ = gSession->Connection()->OpenRecordSet(sql);

    if (engine_.Mode == cTQExport && protocol_)
        OpenProtocol("Datenexport", gUserName, "LST_GDPdU", TodayText(), def_->Schnittstelle, def_->Dateiname, "");

    fieldColumns_.clear();
    criteriaColumns_.clear();
    fieldPlans_.clear();
    formatter_.Prepare(*def_);
    size_t index = 0;
    for (const auto& record : *def_->Records) PlanRecord(index++, *record);

    rowCount_ = 0;
    if (!rows_->Eof() && rows_->RecordCount() >= 1) {
        out_.Open(def_->Dateiname, UpperCase(def_->Anfügen) == "J");
        rows_->MoveFirst();
        if (def_->Kopfzeile == "J") WriteHeaderLine();

        const std::shared_ptr<TQRecords> recordsHold = def_->Records;
        const auto& records = *recordsHold;
        auto writeFirstOfKind = [&](tqFieldTyp kind) {
            bool written = false;
            size_t i = 0;
            for (const auto& record : records) {
                BuildRecordLine(i++, *record);
                if (record->FieldTyp == kind && !written) {
                    out_.WriteLine(line_);
                    written = true;
                }
            }
        };
        writeFirstOfKind(Vorlauf);

        rows_->MoveFirst();
        while (!rows_->Eof()) {
            ++rowCount_;
            size_t i = 0;
            for (const auto& record : records) {
                const size_t index = i++;
                BuildRecordLine(index, *record);
                if (record->FieldTyp == Standard &&
                    (record->CriteriaField.empty() || RecordCriterionHolds(index, *record)))
                    out_.WriteLine(line_);
            }
            const int64_t bookmark = rows_->Bookmark();
            engine_.Events().strInfo(std::to_string(bookmark) + " Datensätze exportiert.");
            const double percent = static_cast<double>(bookmark) * (100.0 / static_cast<double>(rows_->RecordCount()));
            engine_.Events().ExportProgress(RoundToInteger(percent));
            rows_->MoveNext();
            PumpMessages();
        }

        rows_->MoveLast();
        writeFirstOfKind(Nachlauf);
        out_.Close();
    }
    rows_->Close();

    const std::string summary = Summary();
    engine_.SetLastSummary(summary);
    if (engine_.Mode == cTQExport) {
        if (!def_->Schnittstelle.empty()) SaveSetting("TQBExport", "Schnittstelle", def_->Schnittstelle, def_->Dateiname);
        engine_.Events().ExportState(rowCount_ > 0 ? "Datenexport erfolgreich durchgeführt." : kNoData);
        if (protocol_) WriteProtocolLine(summary);
        CloseProtocol();
    } else {
        Messages().ShowText(summary, 4);
        WriteProtocolLine(summary);
    }
    engine_.Events().Done(true);
}

void ExportRun::WriteHeaderLine() {
    for (const auto& record : *def_->Records) {
        if (record->FieldTyp != Standard) continue;
        line_.clear();
        int constants = 0, parameters = 0;
        for (const auto& field : *record->Fields) {
            if (field->FeldArt == "Field") line_ += field->Name;
            else if (field->FeldArt == "Const") line_ += "Konstante " + std::to_string(++constants);
            else if (field->FeldArt == "Param") line_ += "Parameter " + std::to_string(++parameters);
            line_ += def_->Feldtrenner;
        }
        out_.WriteLine(line_);
        def_->Kopfzeile.clear();
        return;
    }
}

int ExportRun::ColumnOf(int& cached, const std::string& name) {
    if (cached == -2) cached = rows_->FindField(name);
    if (cached < 0) throw VbError(kErrUnknownColumn);
    return cached;
}

void ExportRun::PlanRecord(size_t recordIndex, const TQRecord& record) {
    if (recordIndex >= fieldPlans_.size()) {
        fieldPlans_.resize(recordIndex + 1);
        fieldColumns_.resize(recordIndex + 1);
        criteriaColumns_.resize(recordIndex + 1, -2);
    }
    auto& plans = fieldPlans_[recordIndex];
    plans.clear();
    for (const auto& field : *record.Fields) plans.push_back(formatter_.Plan(*field));
    fieldColumns_[recordIndex].assign(plans.size(), -2);
}

void ExportRun::BuildRecordLine(size_t recordIndex, const TQRecord& record) {
    // A listener may have changed the layouts between rows; plan them again then.
    if (recordIndex >= fieldPlans_.size() ||
        fieldPlans_[recordIndex].size() != static_cast<size_t>(record.Fields->Count()))
        PlanRecord(recordIndex, record);
    line_.clear();
    std::vector<int>& columns = fieldColumns_[recordIndex];
    const std::vector<FieldFormatter::FieldPlan>& plans = fieldPlans_[recordIndex];
    const int32_t count = record.Fields->Count();
    int32_t counter = 0;
    for (const auto& field : *record.Fields) {
        const size_t i = static_cast<size_t>(counter);
        std::string& raw = formatter_.Raw();
        if (field->FeldArt == "Field") {
            AppendText(raw, rows_->Item(ColumnOf(columns[i], field->Name)));
        } else if (field->FeldArt == "Param") {
            raw = def_->Parameter->Item(field->Name)->Value;
        }
        formatter_.Finish(plans[i], *field, line_);
        if (++counter < count) line_ += def_->Feldtrenner;
    }
}

bool ExportRun::RecordCriterionHolds(size_t recordIndex, const TQRecord& record) {
    if (recordIndex >= criteriaColumns_.size()) PlanRecord(recordIndex, record);
    const Value& value = rows_->Item(ColumnOf(criteriaColumns_[recordIndex], record.CriteriaField));
    return CriterionHolds(value, record.CriteriaOperator, record.CriteriaValue);
}

std::string ExportRun::Summary() const {
    std::string text = "Schnittstelle: " + def_->Schnittstelle + "\r\n";
    if (rowCount_ > 0) {
        text += "Ausgabe Daten: " + std::to_string(rowCount_) + (rowCount_ == 1 ? " Datensatz" : " Datensätze") +
                " exportiert.\r\nAusgabedatei: " + def_->Dateiname;
    } else {
        text += std::string("Ausgabe Daten: ") + kNoData + "\r\nAusgabedatei: <keine>";
    }
    if (const size_t replaced = out_.ReplacedCharacters(); replaced > 0)
        text += "\r\nHinweis: " + std::to_string(replaced) +
                (replaced == 1 ? " Zeichen ist" : " Zeichen sind") +
                " im Windows-Zeichensatz nicht darstellbar und wurde" + (replaced == 1 ? "" : "n") +
                " als \"?\" geschrieben.";
    return text;
}

void ExportRun::Fail(int32_t number, const std::string& description) {
    // Lines written before the error stay in the file.
    try {
        out_.Close();
    } catch (...) {
        out_.Abandon();
    }
    if (rows_) rows_->Close();
    if (engine_.Mode == cTQExport)
        Messages().ReportError("TQExport", "BuildExport", number, description, true);
    else
        Messages().ShowText("Fehler: " + description, 0);
    const std::string text = "Fehler: " + std::to_string(number) + " " + description;
    WriteProtocolLine(text);
    engine_.Events().ExportState(text);
    engine_.Events().Done(true);
}

}  // namespace norvik
