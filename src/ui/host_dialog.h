#pragma once
// The base of the component's dialogs: Escape does not close them; only their own cancel button,
// F10 and the close box do, as in the host's other windows. Enter presses the button that has the
// focus, and no other: a field's Enter never starts an export.

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

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
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            auto* button = qobject_cast<QPushButton*>(focusWidget());
            if (button && button->isEnabled() && button->isVisible()) button->click();
            event->accept();
            return;
        }
        QDialog::keyPressEvent(event);
    }
};

}  // namespace norvik::ui
