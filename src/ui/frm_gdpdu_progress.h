#pragma once
// The progress window of a GDPdU build: table n of m, its rows, then the check, and "Abbrechen".
// It shows itself when the tables are exported and goes before the build's final message.

#include <QDialog>
#include <functional>

#include "forms/gdpdu_progress_form.h"
#include "host/host_services.h"
#include "ui/run_follower.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace norvik::ui {

class FrmGdpduProgress : public QDialog {
  public:
    // A window over the GDPdU dialog on the given services (the pump and the pointer are lent to
    // the build while it is followed).
    FrmGdpduProgress(QWidget* owner, HostServices& services);

    // The window's logic, to be advised to the profile.
    GdpduProgressForm& Form() { return form_; }
    // Runs the action (the build) while the window follows it; returns its result.
    template <typename Fn>
    auto Follow(Fn&& action) {
        auto result = [&] {
            const RunFollower follow(
                services_, this, [this] { Refresh(); },
                [this](bool on) {
                    form_.StatementWaiting(on);
                    Refresh();
                });
            return action();
        }();
        hide();
        return result;
    }
    // Shows the logic's texts, bar and button.
    void Refresh();

    QLabel* lblTable;
    QLabel* lblProgress;
    QProgressBar* progressBar;
    QPushButton* cmdCancel;

    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter presses the focused button (Abbrechen).
    void keyPressEvent(QKeyEvent* event) override;

  private:
    HostServices& services_;
    GdpduProgressForm form_;
};

}  // namespace norvik::ui
