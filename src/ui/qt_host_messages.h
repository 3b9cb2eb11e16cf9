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
