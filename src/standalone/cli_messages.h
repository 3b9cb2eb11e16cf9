#pragma once
// The host's message service on the command line: problems on the error output, each once;
// information on the output; nothing that only a dialog can act on. A progress line open on the
// terminal is ended before any of them.

#include <iosfwd>
#include <set>
#include <string>

#include "host/host_messages.h"

namespace norvik::standalone {

class CliMessages : public HostMessages {
  public:
    // info: where information goes (a silent stream for --quiet); answerYes: the answer to every
    // yes/no question (--yes).
    CliMessages(std::ostream& info, std::ostream& err, bool answerYes)
        : info_(info), err_(err), answerYes_(answerYes) {}
    void ShowText(const std::string& text, int32_t style) override;
    int32_t ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                        bool flag) override;
    void ReportError(const std::string& className, const std::string& operation, int32_t number,
                     const std::string& description, bool flag) override;
    // Names what the following error reports concern (a definition or profile file).
    void SetSubject(std::string subject) { subject_ = std::move(subject); }

  private:
    // Writes a problem to the error output unless the same text was written before.
    void Problem(const std::string& text);

    std::ostream& info_;
    std::ostream& err_;
    bool answerYes_;
    std::string subject_;
    std::set<std::string> said_;
};

// A message text as a terminal shows it: lines ended by LF, a pointer at a dialog's button
// replaced by the command that shows the same; question: the text of a yes/no question, whose
// question lines the command line's options have already answered.
std::string ForConsole(const std::string& text, bool question = false);

}  // namespace norvik::standalone
