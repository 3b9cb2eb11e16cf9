#include "ui/key_handler.h"

#include <QApplication>
#include <QKeyEvent>

namespace norvik::ui {

int HostKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return 112 + (qtKey - Qt::Key_F1);
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Space:
            return 32;
        default:
            return 0;
    }
}

int HostShiftState(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= kShiftMask;
    if (modifiers & Qt::ControlModifier) shift |= kCtrlMask;
    if (modifiers & Qt::AltModifier) shift |= kAltMask;
    return shift;
}

void KeyHandler::KeyDown(int& keyCode, int& shift) {
    if (onKeyDown) onKeyDown(keyCode, shift);
}

void KeyHandler::KeyPress(int& ascii) {
    if (onKeyPress) onKeyPress(ascii);
}

void KeyHandler::KeyUp(int& keyCode, int& shift) {
    if (onKeyUp) onKeyUp(keyCode, shift);
}

HostKeys& HostKeys::Instance() {
    static HostKeys keys;
    return keys;
}

void HostKeys::HandleKeyDown(int& /*keyCode*/, int& /*shift*/, QWidget* /*dialog*/) {}

void HostKeys::HandleKeyPress(int& /*ascii*/) {}

void HostKeys::HandleF2(QWidget* dialog) {
    if (f2) f2(dialog);
}

KeyPreview::KeyPreview(QWidget* window, KeyHandler& handler) : window_(window), handler_(handler) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    if (qApp) qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != window_)
        return false;
    // An unhandled key climbs to the parents with the same event: relay it once.
    auto* widget = static_cast<QWidget*>(watched);
    const bool climbing = event == lastEvent_ && type == lastType_ && lastReceiver_ &&
                          widget != lastReceiver_ && widget->isAncestorOf(lastReceiver_);
    lastEvent_ = event;
    lastType_ = type;
    lastReceiver_ = widget;
    if (climbing) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    int code = HostKeyCode(key->key());
    int shift = HostShiftState(key->modifiers());
    if (type == QEvent::KeyRelease) {
        if (!key->isAutoRepeat()) handler_.KeyUp(code, shift);
        return false;
    }
    handler_.KeyDown(code, shift);
    const QString text = key->text();
    if (!text.isEmpty() && text.front().unicode() < 256) {
        int ascii = text.front().unicode();
        handler_.KeyPress(ascii);
    }
    return false;
}

void ConnectDialogKeys(KeyHandler& handler, QWidget* dialog, std::function<void()> onF9,
                       std::function<void()> onF10) {
    handler.onKeyDown = [dialog](int& keyCode, int& shift) {
        HostKeys::Instance().HandleKeyDown(keyCode, shift, dialog);
    };
    handler.onKeyPress = [](int& ascii) { HostKeys::Instance().HandleKeyPress(ascii); };
    handler.onKeyUp = [dialog, onF9 = std::move(onF9), onF10 = std::move(onF10)](int& keyCode,
                                                                                 int& /*shift*/) {
        if (keyCode == kKeyF2) HostKeys::Instance().HandleF2(dialog);
        if (keyCode == kKeyF9 && onF9) onF9();
        if (keyCode == kKeyF10 && onF10) onF10();
    };
}

}  // namespace norvik::ui
