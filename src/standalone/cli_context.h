#pragma once
// What every command of norvik-export shares: options, configuration, the session, the output.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/host_messages.h"
#include "standalone/host_config.h"

namespace norvik::standalone {

// A wrong command line; the program ends with exit code 2 and this one-line reason.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Console messages that also count the errors reported, so that a command can fail on them.
class CountingMessages : public ConsoleHostMessages {
  public:
    using ConsoleHostMessages::ConsoleHostMessages;
    void ReportError(const std::string& className, const std::string& operation, int32_t number,
                     const std::string& description, bool flag) override;
    // Number of errors reported so far.
    int errors = 0;
};

// A command that refuses to act (it would destroy something); exit code 1 with this message.
class CommandRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class CliContext {
  public:
    CliContext(std::string homeOption, std::string userOption, std::ostream& out);

    // The home folder (with a trailing "/").
    const std::string& Home() const { return home_; }
    // The configuration of the home.
    const HostConfig& Config() const { return config_; }
    // Starts the component's session on the home's database (once); raises VbError when it fails.
    void StartSession(bool answerYes = false);
    // Errors reported through the message service since the session started.
    int ReportedErrors() const { return messages_ ? messages_->errors : 0; }
    // A definition or profile path: FILE itself when it exists, else the display name from the
    // list.
    std::string ResolveDefinition(const std::string& file, int32_t mode);
    // The standard output.
    std::ostream& out;

  private:
    std::string home_;
    std::string userOption_;
    HostConfig config_;
    std::shared_ptr<CountingMessages> messages_;
};

// Takes the value of an option "--name VALUE" or "--name=VALUE" out of args; empty when absent.
std::string TakeOption(std::vector<std::string>& args, const std::string& name);
// Takes a flag "--name" out of args.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// Raises UsageError when an option is left over or the count of arguments is outside [min, max].
void ExpectArguments(const std::vector<std::string>& args, size_t min, size_t max,
                     const std::string& usage);

// Commands; each returns the exit code.
int CommandDemo(CliContext& ctx, std::vector<std::string> args);
int CommandList(CliContext& ctx, std::vector<std::string> args);
int CommandShow(CliContext& ctx, std::vector<std::string> args);
int CommandSave(CliContext& ctx, std::vector<std::string> args);
int CommandNew(CliContext& ctx, std::vector<std::string> args);
int CommandSettings(CliContext& ctx, std::vector<std::string> args);
int CommandRun(CliContext& ctx, std::vector<std::string> args);
int CommandProtocol(CliContext& ctx, std::vector<std::string> args);
int CommandGdpdu(CliContext& ctx, std::vector<std::string> args);

// Runs norvik-export with its arguments (without the program name); returns the exit code.
int RunCli(std::vector<std::string> args, std::ostream& out, std::ostream& err);

}  // namespace norvik::standalone
