#pragma once
// The base of the component's dialogs: Escape does not close them; only their own cancel button,
// F10 and the close box do, as in the host's other windows. Enter presses the button that has the
// focus, and no other: a field's Enter never starts an export.

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

namespace norvik::ui {

// Enter or Return on a window: presses the focused button, if any, and returns true (the key is
// taken either way); false for other keys. Qt presses only default buttons on Enter.
inline bool PressFocusedButton(QWidget* window, QKeyEvent* event) {
    if ((event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) ||
        (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* button = qobject_cast<QPushButton*>(window->focusWidget());
    if (button && button->isEnabled() && button->isVisible()) button->click();
    event->accept();
    return true;
}

class HostDialog : public QDialog {
  public:
    using QDialog::QDialog;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            event->accept();
            return;
        }
        if (PressFocusedButton(this, event)) return;
        QDialog::keyPressEvent(event);
    }
};

}  // namespace norvik::ui
