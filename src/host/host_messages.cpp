#include "host/host_messages.h"

#include <iostream>

#include "common/vb_error.h"
#include "host/host_services.h"

namespace norvik {

HostMessages& Messages() {
    return Services().Messages();
}

void ReportFailure(HostMessages& messages, const std::string& className,
                   const std::string& operation, const std::exception& e) {
    const VbError error = ToVbError(e);
    messages.ReportError(className, operation, error.Number(), error.Description(), true);
}

void ConsoleHostMessages::ShowText(const std::string& text, int32_t style) {
    (style == 0 ? err_ : out_) << text << '\n';
}

int32_t ConsoleHostMessages::ShowMessage(const std::string& text, int32_t /*style*/,
                                         int32_t buttons, bool /*flag*/) {
    out_ << text << '\n';
    if (buttons != kButtonsYesNo) return 1;
    out_ << (answerYes_ ? "→ Ja (--yes)" : "→ Nein (ohne --yes)") << '\n';
    return answerYes_ ? kAnswerYes : kAnswerNo;
}

void ConsoleHostMessages::ReportError(const std::string& className, const std::string& operation,
                                      int32_t number, const std::string& description,
                                      bool /*flag*/) {
    err_ << "Fehler " << number << " in " << className << '.' << operation << ": " << description
         << '\n';
}

void RecordingHostMessages::ShowText(const std::string& text, int32_t style) {
    calls.push_back({"ShowText", text, style, 0, false, "", "", 0});
}

int32_t RecordingHostMessages::ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                                           bool flag) {
    calls.push_back({"ShowMessage", text, style, buttons, flag, "", "", 0});
    return answer;
}

void RecordingHostMessages::ReportError(const std::string& className, const std::string& operation,
                                        int32_t number, const std::string& description, bool flag) {
    calls.push_back({"ReportError", description, 0, 0, flag, className, operation, number});
}

}  // namespace norvik
