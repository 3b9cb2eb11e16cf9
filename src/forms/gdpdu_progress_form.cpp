#include "forms/gdpdu_progress_form.h"

#include "common/count_text.h"
#include "forms/progress_form.h"
#include "host/cancel_request.h"

namespace norvik {

void GdpduProgressForm::Cancel() {
    if (!running) return;
    RequestCancel();
    running = false;
    table = "Die Datenausgabe wird abgebrochen...";
    Changed();
}

void GdpduProgressForm::StatementWaiting(bool on) {
    if (on)
        progress = kStatementWaitText;
    else if (progress == kStatementWaitText)
        progress.clear();
    Changed();
}

void GdpduProgressForm::BuildStarted(int32_t /*tables*/) {
    running = true;
    if (started) started();
    Changed();
}

void GdpduProgressForm::TableStarted(int32_t number, int32_t tables, const std::string& caption) {
    if (!running) return;
    table = "Tabelle " + std::to_string(number) + " von " + std::to_string(tables) + ": " + caption;
    progress.clear();
    percent = 0;
    Stepped();
}

void GdpduProgressForm::Checking() {
    table = "Der Datenträger wird geprüft...";
    progress.clear();
    percent = 100;
    Stepped();
}

void GdpduProgressForm::Packing() {
    table = "Die ZIP-Datei für die Übergabe wird gepackt...";
    progress.clear();
    percent = 0;
    Stepped();
}

void GdpduProgressForm::BuildEnded() {
    running = false;
    Changed();
    if (ended) ended();
}

void GdpduProgressForm::RowsExported(int64_t rows) {
    progress = ExportedRowsText(rows);
    Changed();
}

void GdpduProgressForm::ExportProgress(int16_t intPercent) {
    percent = intPercent;
    Changed();
}

void GdpduProgressForm::Changed() const {
    if (changed) changed();
}

void GdpduProgressForm::Stepped() const {
    if (stepped)
        stepped();
    else
        Changed();
}

}  // namespace norvik
