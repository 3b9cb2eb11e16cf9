#pragma once
// The host's message service: texts, questions and error reports to the user.

#include <cstdint>
#include <exception>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace norvik {

// Answer of ShowMessage meaning yes.
constexpr int32_t kAnswerYes = 6;
// Answer of ShowMessage meaning no.
constexpr int32_t kAnswerNo = 7;
// Buttons of ShowMessage: a single confirmation.
constexpr int32_t kButtonsOk = 0;
// Buttons of ShowMessage: yes and no.
constexpr int32_t kButtonsYesNo = 4;

class HostMessages {
  public:
    virtual ~HostMessages() = default;
    // Shows a text; style 0 = error text, 3 = warning, 4 = information.
    virtual void ShowText(const std::string& text, int32_t style) = 0;
    // Shows a message the user confirms or answers; returns the answer (kAnswerYes for yes).
    virtual int32_t ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                                bool flag) = 0;
    // Reports an error of an operation of a class.
    virtual void ReportError(const std::string& className, const std::string& operation,
                             int32_t number, const std::string& description, bool flag) = 0;
};

// The message service of the component's services (the console unless the host set its own).
HostMessages& Messages();
// Reports an exception that ended an operation, as every public operation does: ReportError with
// the error's number and description (see ToVbError) and the flag true.
void ReportFailure(HostMessages& messages, const std::string& className,
                   const std::string& operation, const std::exception& e);

// Writes texts to an output stream and reports to an error stream; questions get the preset answer.
class ConsoleHostMessages : public HostMessages {
  public:
    // answerYes: the answer to every yes/no question (the command line's --yes).
    ConsoleHostMessages(std::ostream& out, std::ostream& err, bool answerYes = false)
        : out_(out), err_(err), answerYes_(answerYes) {}
    void ShowText(const std::string& text, int32_t style) override;
    int32_t ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                        bool flag) override;
    void ReportError(const std::string& className, const std::string& operation, int32_t number,
                     const std::string& description, bool flag) override;

  private:
    std::ostream& out_;
    std::ostream& err_;
    bool answerYes_;
};

// Keeps every call for inspection (tests) and answers questions with a preset answer.
class RecordingHostMessages : public HostMessages {
  public:
    // One recorded call.
    struct Call {
        std::string kind;  // "ShowText", "ShowMessage" or "ReportError"
        std::string text;  // the text, or the error description
        int32_t style = 0;
        int32_t buttons = 0;
        bool flag = false;
        std::string className;
        std::string operation;
        int32_t number = 0;
    };

    void ShowText(const std::string& text, int32_t style) override;
    int32_t ShowMessage(const std::string& text, int32_t style, int32_t buttons,
                        bool flag) override;
    void ReportError(const std::string& className, const std::string& operation, int32_t number,
                     const std::string& description, bool flag) override;

    // The answer to the next questions.
    int32_t answer = kAnswerNo;
    // The calls in order.
    std::vector<Call> calls;
};

}  // namespace norvik
