#pragma once
// The host's message service as message boxes, for the dialogs.

#include <QMessageBox>
#include <functional>
#include <memory>

#include "host/host_messages.h"

namespace norvik::ui {

// The box of a text or message: style 0 error, 3 warning, 4 information; kButtonsYesNo asks.
std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& text, int32_t style, int32_t buttons,
                                            QWidget* parent = nullptr);

// While it lives, the host's messages belong to the window: they carry its title and appear over
// its middle. The latest owner that is on the screen wins, so that a summary that comes after a
// progress window hid itself goes over the dialog that started the work, not over whatever window
// happens to be active.
class MessageOwner {
  public:
    explicit MessageOwner(QWidget* window);
    ~MessageOwner();
    MessageOwner(const MessageOwner&) = delete;
    MessageOwner& operator=(const MessageOwner&) = delete;
};

// The window a message belongs to now: the latest visible owner, else the active window.
QWidget* MessageParent();

class QtHostMessages : public HostMessages {
  public:
    void ShowText(const std::string& text, int32_t style) override;
    int32_t ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                        bool flag) override;
    void ReportError(const std::string& className, const std::string& operation, int32_t number,
                     const std::string& description, bool flag) override;

    // Shows a box and returns the button pressed; exec() unless replaced (screenshots).
    std::function<int(QMessageBox&)> present = [](QMessageBox& box) { return box.exec(); };
};

}  // namespace norvik::ui
