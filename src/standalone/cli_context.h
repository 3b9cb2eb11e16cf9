#pragma once
// What every command of norvik-export shares: options, configuration, the session, the output.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "host/module_state.h"
#include "standalone/host_config.h"

namespace norvik::standalone {

class CliMessages;

// A wrong command line; the program ends with exit code 2 and this one-line reason.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A command that refuses to act (it would destroy something); exit code 1 with this message.
class CommandRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One command line run: its options, configuration, streams and the component's session. It is the
// command line's composition root: it takes the component's module state and services, and the
// commands hand them to whatever they make. The session, its message service and the module state
// end with it.
class CliContext {
  public:
    // quiet: information (summaries, notes of success) is left out; problems still go to err.
    CliContext(std::string homeOption, std::string userOption, bool quiet, std::ostream& out,
               std::ostream& err);
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    // The home folder (with a trailing "/").
    const std::string& Home() const { return home_; }
    // The configuration of the home.
    const HostConfig& Config() const { return config_; }
    // The module state the commands work on.
    ModuleState& Module() const { return module_; }
    // The services the commands lend the component.
    HostServices& Host() const { return host_; }
    // Starts the component's session on the home's database (once), with messages on info and
    // err; makes the home's folders a command needs; raises VbError when it fails.
    void StartSession(bool answerYes = false);
    // Lets the session create a configured SQLite database that does not exist yet (demo).
    void AllowNewDatabase() { newDatabase_ = true; }
    // Names what the following error reports of the component concern.
    void SetSubject(const std::string& subject);
    // Whether information is left out (--quiet).
    bool Quiet() const { return quiet_; }
    // The home's host session and its information lookups, for a host that starts the session
    // itself (the dialogs' manager); raises VbError when the database cannot be opened.
    std::shared_ptr<HostSession> OpenHostSession();
    // A definition or profile path: FILE itself when it exists, else the file of the list with
    // that display name or file name (compared without regard to case).
    std::string ResolveDefinition(const std::string& file, int32_t mode);
    // The output of the command: what it was asked to show.
    std::ostream& out;
    // The error output of the command: errors and warnings, and notes beside the result.
    std::ostream& err;
    // Information about a run (summaries): the output, the error output when the output carries
    // the export itself, silent with --quiet.
    std::ostream& Info() { return quiet_ ? silent_ : infoToErr_ ? err : out; }
    // Sends information to the error output; before the session starts.
    void InfoToErrorOutput() { infoToErr_ = true; }

  private:
    // ResolveDefinition without the definition's warnings.
    std::string FindDefinition(const std::string& file, int32_t mode);

    ModuleState& module_;
    HostServices& host_;
    bool quiet_;
    bool infoToErr_ = false;
    std::ostream silent_{nullptr};
    bool newDatabase_ = false;
    std::shared_ptr<CliMessages> messages_;
    std::string home_;
    std::string userOption_;
    HostConfig config_;
    bool started_ = false;
};

// A path as the command line shows it: with the platform's separators.
std::string ShownPath(const std::string& path);

// Takes the value of an option "--name VALUE" or "--name=VALUE" out of args; empty when absent.
std::string TakeOption(std::vector<std::string>& args, const std::string& name);
// The same, nullopt when absent (an empty value given is kept).
std::optional<std::string> TakeGivenOption(std::vector<std::string>& args, const std::string& name);
// Takes every value of a repeatable option out of args, in order.
std::vector<std::string> TakeRepeatedOption(std::vector<std::string>& args,
                                            const std::string& name);
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
int CommandParams(CliContext& ctx, std::vector<std::string> args);
int CommandGdpdu(CliContext& ctx, std::vector<std::string> args);
int CommandCheck(CliContext& ctx, std::vector<std::string> args);

// A command: its context and its arguments after the command's name; returns the exit code.
using CommandFunction = int (*)(CliContext& ctx, std::vector<std::string> args);

// Runs norvik-export with its arguments (without the program name); returns the exit code.
// `dialogs` is the gui command where this process has the dialogs; without it the call goes to
// the dialog program, so that the other commands start without loading a window system.
int RunCli(std::vector<std::string> args, std::ostream& out, std::ostream& err,
           CommandFunction dialogs = nullptr);

}  // namespace norvik::standalone
