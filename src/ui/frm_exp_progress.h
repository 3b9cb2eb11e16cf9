#pragma once
// The progress window: runs the prepared export on its first activation, shows the run's texts
// and percentage, and closes only once the run is done.

#include <QDialog>

#include "forms/progress_form.h"
#include "host/host_services.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace norvik::ui {

class FrmExpProgress : public QDialog {
  public:
    // A window on the given services (shell, busy pointer and message pump are lent to the run).
    FrmExpProgress(QWidget* owner, HostServices& services);

    // The window's logic: the export dialog hands it the engine and the two labels.
    ProgressForm& Form() { return form_; }
    // Shows the logic's texts, bar and buttons.
    void Refresh();
    // Runs the export once (the first activation does it); later calls do nothing.
    void Run();

    QLabel* lblInfo;
    QLabel* lblProgress;
    QProgressBar* progressBar;
    QLabel* lblSchnittstelle;
    QLabel* lblDatei;
    QPushButton* cmdOpen;
    QPushButton* cmdClose;
    QPushButton* cmdCancel;  // stops the run; the output file stays as it was
    QLabel* lblNotes;        // the finished run's notes on data it changed, shown when there are

    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Enter presses the focused button, Abbrechen during the run included.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Makes room above the buttons for the notes, once they are there.
    void ShowNotes();

    HostServices& services_;
    ProgressForm form_;
    QLabel* imgNotes_;
    bool runQueued_ = false;
};

}  // namespace norvik::ui
