#pragma once
// The keyboard relay of the dialogs: a window sees every key before its focused control (key
// preview), hands it to its KeyHandler, and the handler's events go to the window and HostKeys.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace norvik::ui {

// Key codes as the host's keyboard service counts them.
constexpr int kKeyF2 = 113;
constexpr int kKeyF9 = 120;
constexpr int kKeyF10 = 121;
// Shift state bits: shift, control, alt.
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;

// The host's key code of a Qt key (function keys 112 to 123, letters and digits as their
// upper-case character); 0 for a key without one.
int HostKeyCode(int qtKey);
// The shift state bits of Qt's modifiers.
int HostShiftState(Qt::KeyboardModifiers modifiers);

// Relays a window's key events as its own events; arguments by reference, so a listener may
// change them.
class KeyHandler {
  public:
    std::function<void(int& keyCode, int& shift)> onKeyDown;  // a key went down
    std::function<void(int& ascii)> onKeyPress;               // a character was typed
    std::function<void(int& keyCode, int& shift)> onKeyUp;    // a key went up

    // Raises the key-down event.
    void KeyDown(int& keyCode, int& shift);
    // Raises the key-press event.
    void KeyPress(int& ascii);
    // Raises the key-up event.
    void KeyUp(int& keyCode, int& shift);
};

// The host's global keyboard service, created on first use and kept.
class HostKeys {
  public:
    // The one service.
    static HostKeys& Instance();

    // A key went down in a dialog; the host's global keys would go here (none yet).
    void HandleKeyDown(int& keyCode, int& shift, QWidget* dialog);
    // A character was typed in a dialog.
    void HandleKeyPress(int& ascii);
    // F2 in a dialog: calls the hook when the host set one.
    void HandleF2(QWidget* dialog);

    std::function<void(QWidget* dialog)> f2;  // what F2 does; nothing by default
};

// Hands every key event of a window, whichever of its controls has the focus, to a KeyHandler
// before the control sees it.
class KeyPreview : public QObject {
  public:
    // Previews the keys of window (installs itself on the application).
    KeyPreview(QWidget* window, KeyHandler& handler);
    ~KeyPreview() override;
    KeyPreview(const KeyPreview&) = delete;
    KeyPreview& operator=(const KeyPreview&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    KeyHandler& handler_;
    // The key event last seen and its receiver: an unhandled key reaches the parents again.
    const QEvent* lastEvent_ = nullptr;
    QEvent::Type lastType_ = QEvent::None;
    QPointer<QWidget> lastReceiver_;
};

// Wires a dialog's handler as the dialogs do: key down and press to HostKeys, key up F2 to
// HostKeys, F9 and F10 to the dialog's own actions.
void ConnectDialogKeys(KeyHandler& handler, QWidget* dialog, std::function<void()> onF9,
                       std::function<void()> onF10);

}  // namespace norvik::ui
