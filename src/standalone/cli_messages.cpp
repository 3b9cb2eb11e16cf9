#include "standalone/cli_messages.h"

#include <ostream>

#include "standalone/terminal_progress.h"

namespace norvik::standalone {
namespace {

constexpr const char* kMoreButton = "Drücken Sie die Schaltfläche ''Mehr''";
// What the dialog's "Mehr" shows is in the protocol.
constexpr const char* kProtocolHint = "Einzelheiten: norvik-export protocol --last 1";

bool IsProblem(int32_t style) {
    return style == 0 || style == 3;
}

}  // namespace

std::string ForConsole(const std::string& text, bool question) {
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (line.rfind(kMoreButton, 0) == 0) line = kProtocolHint;
        // Without a dialog the command line's options have answered the question.
        if (question && !line.empty() && line.back() == '?') continue;
        out += (out.empty() ? "" : "\n") + line;
    }
    return out;
}

void CliMessages::Problem(const std::string& text) {
    if (!said_.insert(text).second) return;
    err_ << "norvik-export: " << text << '\n' << std::flush;
}

void CliMessages::ShowText(const std::string& text, int32_t style) {
    EndProgressLine();
    if (IsProblem(style))
        Problem(ForConsole(text));
    else
        info_ << ForConsole(text) << '\n';
}

int32_t CliMessages::ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                                 bool /*flag*/) {
    EndProgressLine();
    if (buttons == kButtonsYesNo)
        info_ << ForConsole(text, true) << '\n';
    else if (IsProblem(style))
        Problem(ForConsole(text));
    else
        info_ << ForConsole(text) << '\n';
    if (buttons != kButtonsYesNo) return 1;
    return answerYes_ ? kAnswerYes : kAnswerNo;
}

void CliMessages::ReportError(const std::string& className, const std::string& operation,
                              int32_t number, const std::string& description, bool /*flag*/) {
    EndProgressLine();
    Problem((subject_.empty() ? "" : subject_ + ": ") + "Fehler " + std::to_string(number) +
            " in " + className + '.' + operation + ": " + ForConsole(description));
}

}  // namespace norvik::standalone
