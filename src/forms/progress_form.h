#pragma once
// The progress window without the window: what its labels, bar and buttons show while one export
// runs, and when it may close.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/tq_export.h"
#include "host/host_services.h"

namespace norvik {

// The first text of the state label.
inline const char* const kProgressStartText = "Daten werden exportiert...";
// The text while the statement runs on the database, before its first row.
inline const char* const kStatementWaitText = "Abfrage wird ausgeführt …";

class ProgressForm : public TQExportEvents {
  public:
    // A window on the given services (busy pointer, shell).
    explicit ProgressForm(HostServices& services) : services_(services) {}
    ~ProgressForm() override;
    ProgressForm(const ProgressForm&) = delete;
    ProgressForm& operator=(const ProgressForm&) = delete;

    // The export to run; the window listens to its events from now on. The engine must outlive
    // the window.
    void SetExport(TQExport& engine);
    // First activation: runs the export under the busy pointer, once; later calls do nothing.
    void Activate();
    // "Ordner öffnen": opens the folder of the output file; when none could be opened, says so
    // and returns false.
    bool OpenFolder();
    // "Abbrechen": asks the run to stop after the current row; the file stays as it was.
    void Cancel();
    // True once the run has ended: before that the window refuses to close.
    bool CanClose() const { return done_; }

    std::string info = kProgressStartText;  // lblInfo: the run's state texts
    std::string progress;                   // lblProgress: the text after each row
    int16_t percent = 0;                    // the bar, 0 to 100
    std::string schnittstelle;              // lblSchnittstelle, set by the export dialog
    std::string datei;                      // lblDatei, set by the export dialog
    bool openEnabled = false;               // cmdOpen
    bool closeEnabled = false;              // cmdClose
    bool cancelEnabled = false;             // cmdCancel: while the run goes on
    // Once the run ended: its notes on data it changed (values cut, characters written as "?",
    // line breaks made blanks, a file kept without rows), one a line; empty when there are none.
    std::string notes;
    // Called after every change of the texts, the bar or the buttons, so that a widget repaints.
    std::function<void()> changed;

    // The run waits for its statement (true) or has its first row (false).
    void StatementWaiting(bool on);

    void Done(bool blValue) override;
    void ExportState(const std::string& text) override;
    void RowsExported(int64_t rows) override;
    void ExportProgress(int16_t intPercent) override;

  private:
    void Changed() const;

    HostServices& services_;
    TQExport* engine_ = nullptr;
    bool activated_ = false;
    bool done_ = false;
    int64_t rowsWritten_ = 0;  // the count of the run's last row text
};

}  // namespace norvik
