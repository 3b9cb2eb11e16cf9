#include "forms/progress_form.h"

#include "common/count_text.h"
#include "common/vb_error.h"
#include "engine/export_start.h"
#include "engine/shown_notes.h"
#include "host/cancel_request.h"

namespace norvik {

ProgressForm::~ProgressForm() {
    if (engine_ && &engine_->Events() == this) engine_->Advise(nullptr);
}

void ProgressForm::SetExport(TQExport& engine) {
    engine_ = &engine;
    engine.Advise(this);
}

void ProgressForm::Activate() {
    if (activated_ || !engine_) return;
    activated_ = true;
    ClearCancel();
    cancelEnabled = true;
    Changed();
    services_.ShowBusy(true);
    engine_->BuildExport();
    services_.ShowBusy(false);
    cancelEnabled = false;
    ClearCancel();
    Changed();
}

bool ProgressForm::OpenFolder() {
    if (!engine_ || !engine_->ExpDef) return false;
    const std::string folder = GetPath(engine_->ExpDef->Dateiname);
    if (services_.Shell().OpenFolder(folder)) return true;
    services_.Messages().ShowMessage(kFolderNotOpenedMessage + folder, 3, kButtonsOk, true);
    return false;
}

void ProgressForm::Cancel() {
    if (!cancelEnabled) return;
    RequestCancel();
    cancelEnabled = false;
    Changed();
}

void ProgressForm::StatementWaiting(bool on) {
    if (on)
        progress = kStatementWaitText;
    else if (progress == kStatementWaitText)
        progress.clear();
    Changed();
}

namespace {
constexpr size_t kNamedChangesShown = 3;
}  // namespace

void ProgressForm::Done(bool /*blValue*/) {
    // A failed run enables the buttons as well: the user reads the error and closes.
    openEnabled = closeEnabled = done_ = true;
    notes.clear();
    // A window has room for a few values named by their line; the protocol keeps every one.
    if (engine_)
        for (const RunNote& note : ShownNotes(engine_->LastNotes(), kNamedChangesShown))
            notes += (notes.empty() ? "" : "\n") + note.text;
    cancelEnabled = false;
    Changed();
}

void ProgressForm::ExportState(const std::string& text) {
    info = text;
    // A stop is no failure: one statement of what happened instead of an error number beside a
    // count that reads as if the rows had reached the file.
    if (text.starts_with("Fehler: " + std::to_string(kErrUserInterrupt) + " ")) {
        info =
            rowsWritten_ == 0
                ? std::string("Der Export wurde abgebrochen, bevor ein Datensatz geschrieben war.")
                : "Der Export wurde nach " + GroupedCount(rowsWritten_) +
                      (rowsWritten_ == 1 ? " Datensatz" : " Datensätzen") + " abgebrochen.";
        progress = "Die Ausgabedatei ist unverändert.";
    }
    Changed();
}

void ProgressForm::RowsExported(int64_t rows) {
    progress = ExportedRowsText(rows);
    rowsWritten_ = rows;
    Changed();
}

void ProgressForm::ExportProgress(int16_t intPercent) {
    percent = intPercent;
    Changed();
}

void ProgressForm::Changed() const {
    if (changed) changed();
}

}  // namespace norvik
