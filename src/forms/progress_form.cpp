#include "forms/progress_form.h"

#include "common/count_text.h"
#include "engine/export_start.h"
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

void ProgressForm::Done(bool /*blValue*/) {
    // A failed run enables the buttons as well: the user reads the error and closes.
    openEnabled = closeEnabled = done_ = true;
    cancelEnabled = false;
    Changed();
}

void ProgressForm::ExportState(const std::string& text) {
    info = text;
    Changed();
}

void ProgressForm::strInfo(const std::string& text) {
    progress = ReadableCountText(text);
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
