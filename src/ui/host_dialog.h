#pragma once
// The base of the component's dialogs: Escape does not close them; only their own cancel button,
// F10 and the close box do, as in the host's other windows.

#include <QDialog>
#include <QKeyEvent>

namespace norvik::ui {

class HostDialog : public QDialog {
  public:
    using QDialog::QDialog;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            event->accept();
            return;
        }
        QDialog::keyPressEvent(event);
    }
};

}  // namespace norvik::ui
