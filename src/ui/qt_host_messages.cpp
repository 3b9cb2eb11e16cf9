#include "ui/qt_host_messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <vector>

#include "common/vb_error.h"

namespace norvik::ui {
namespace {

QMessageBox::Icon IconOf(int32_t style) {
    switch (style) {
        case 0:
            return QMessageBox::Critical;
        case 3:
            return QMessageBox::Warning;
        default:
            return QMessageBox::Information;
    }
}

std::vector<QPointer<QWidget>>& Owners() {
    static std::vector<QPointer<QWidget>> owners;
    return owners;
}

}  // namespace

MessageOwner::MessageOwner(QWidget* window) {
    Owners().emplace_back(window);
}

MessageOwner::~MessageOwner() {
    Owners().pop_back();
}

QWidget* MessageParent() {
    const auto& owners = Owners();
    for (auto it = owners.rbegin(); it != owners.rend(); ++it)
        if (*it && (*it)->isVisible()) return *it;
    return QApplication::activeWindow();
}

std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& text, int32_t style, int32_t buttons,
                                            QWidget* parent) {
    const auto standard = buttons == kButtonsYesNo ? QMessageBox::Yes | QMessageBox::No
                                                   : QMessageBox::StandardButtons(QMessageBox::Ok);
    // A message carries the title of the window it belongs to.
    const QString title = parent ? parent->window()->windowTitle() : QString("Datenexport");
    auto box = std::make_unique<QMessageBox>(IconOf(style), title, QString::fromStdString(text),
                                             standard, parent);
    if (buttons == kButtonsYesNo) {
        box->button(QMessageBox::Yes)->setText("&Ja");
        box->button(QMessageBox::No)->setText("&Nein");
    }
    return box;
}

void QtHostMessages::ShowText(const std::string& text, int32_t style) {
    auto box = MakeMessageBox(text, style, kButtonsOk, MessageParent());
    present(*box);
}

int32_t QtHostMessages::ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                                    bool /*flag*/) {
    auto box = MakeMessageBox(text, style, buttons, MessageParent());
    return present(*box) == QMessageBox::Yes ? kAnswerYes : kAnswerNo;
}

void QtHostMessages::ReportError(const std::string& className, const std::string& operation,
                                 int32_t number, const std::string& description, bool /*flag*/) {
    // A run the user stopped is no failure: it says so, without the error frame.
    if (number == kErrUserInterrupt) {
        auto box = MakeMessageBox(description, 4, kButtonsOk, MessageParent());
        present(*box);
        return;
    }
    const std::string text = "Fehler " + std::to_string(number) + " in " + className + "." +
                             operation + ":\n" + description;
    auto box = MakeMessageBox(text, 0, kButtonsOk, MessageParent());
    present(*box);
}

}  // namespace norvik::ui
