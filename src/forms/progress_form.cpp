#include "forms/progress_form.h"

#include "engine/export_start.h"

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
    services_.ShowBusy(true);
    engine_->BuildExport();
    services_.ShowBusy(false);
}

bool ProgressForm::OpenFolder() {
    if (!engine_ || !engine_->ExpDef) return false;
    return services_.Shell().OpenFolder(GetPath(engine_->ExpDef->Dateiname));
}

void ProgressForm::Done(bool /*blValue*/) {
    // A failed run enables the buttons as well: the user reads the error and closes.
    openEnabled = closeEnabled = done_ = true;
    Changed();
}

void ProgressForm::ExportState(const std::string& text) {
    info = text;
    Changed();
}

void ProgressForm::strInfo(const std::string& text) {
    progress = text;
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
