#include "standalone/cli_context.h"

#include <filesystem>
#include <ostream>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "host/file_list.h"
#include "host/host_messages.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "standalone/cli_messages.h"
#include "standalone/config_warnings.h"
#include "standalone/home_folders.h"

namespace norvik::standalone {

CliContext::CliContext(std::string homeOption, std::string userOption, bool quiet, std::ostream& o,
                       std::ostream& e)
    : out(o),
      err(e),
      module_(State()),
      host_(Services()),
      quiet_(quiet),
      home_(ResolveHome(homeOption)),
      userOption_(std::move(userOption)) {
    config_ = LoadHostConfig(home_, userOption_);
    for (const std::string& warning : ConfigWarnings(config_))
        err << "norvik-export: " << warning << '\n';
}

CliContext::~CliContext() {
    if (!started_) return;
    // The streams may end with this run; so may the session when the command line is called in
    // a process that goes on.
    module_.Reset();
    host_.messages = nullptr;
    host_.informationLookup = nullptr;
}

void CliContext::StartSession(bool answerYes) {
    if (started_) return;
    started_ = true;
    messages_ = std::make_shared<CliMessages>(Info(), err, answerYes);
    host_.messages = messages_;
    SessionStart(OpenHostSession());
    MakeHomeFolders(config_, module_.exportPath);
}

void CliContext::SetSubject(const std::string& subject) {
    if (messages_) messages_->SetSubject(subject);
}

std::shared_ptr<HostSession> CliContext::OpenHostSession() {
    host_.informationLookup = [home = home_](const std::string& name) {
        return LookupSql(home, name);
    };
    PrepareDatabase(config_, newDatabase_);
    return OpenSession(config_);
}

std::string CliContext::ResolveDefinition(const std::string& file, int32_t mode) {
    const std::string path = FindDefinition(file, mode);
    if (mode == cTQExport)
        for (const std::string& warning : DefinitionWarnings(path))
            err << "norvik-export: " << warning << '\n';
    return path;
}

std::string CliContext::FindDefinition(const std::string& file, int32_t mode) {
    std::error_code ec;
    const bool here = std::filesystem::is_regular_file(file, ec);
    // A path chooses its file; only a bare name can mean one of the export folder too.
    if (here && file.find_first_of("/\\") != std::string::npos) return file;
    StartSession();
    const int32_t count = GetFileList(module_, host_.Messages(), mode);
    std::string listed;
    for (int32_t i = 0; i < count && listed.empty(); ++i)
        if (EqualsIgnoreCase(module_.fileList[i][0], file)) listed = module_.fileList[i][1];
    for (int32_t i = 0; i < count && listed.empty(); ++i)
        if (EqualsIgnoreCase(NativePath(module_.fileList[i][1]).filename().string(), file))
            listed = module_.fileList[i][1];
    if (!here) {
        if (listed.empty()) throw UsageError("unbekannte Datei oder Definition: " + file);
        return listed;
    }
    // The working folder's file wins, as documented; the name alone does not say which was meant.
    if (!listed.empty() && !std::filesystem::equivalent(file, NativePath(listed), ec))
        err << "norvik-export: Warnung: " << file << " ist die Datei "
            << ShownPath(AbsolutePath(file)) << " im Arbeitsordner, nicht " << ShownPath(listed)
            << " im Exportordner (ein Pfad wählt jene).\n";
    return file;
}

std::string ShownPath(const std::string& path) {
    return NativePath(path).string();
}

std::string TakeOption(std::vector<std::string>& args, const std::string& name) {
    return TakeGivenOption(args, name).value_or("");
}

std::optional<std::string> TakeGivenOption(std::vector<std::string>& args,
                                           const std::string& name) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            if (i + 1 >= args.size()) throw UsageError(name + " braucht einen Wert");
            std::string value = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return value;
        }
        if (args[i].rfind(name + "=", 0) == 0) {
            std::string value = args[i].substr(name.size() + 1);
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return value;
        }
    }
    return std::nullopt;
}

std::vector<std::string> TakeRepeatedOption(std::vector<std::string>& args,
                                            const std::string& name) {
    std::vector<std::string> values;
    for (size_t before = args.size();; before = args.size()) {
        std::string value = TakeOption(args, name);
        if (args.size() == before) return values;
        if (value.empty()) throw UsageError(name + " braucht einen Wert");
        values.push_back(std::move(value));
    }
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

void ExpectArguments(const std::vector<std::string>& args, size_t min, size_t max,
                     const std::string& usage) {
    for (const std::string& a : args)
        if (a.size() > 1 && a.rfind("--", 0) == 0)
            throw UsageError("unbekannte Option " + a + " (" + usage + ")");
    if (args.size() < min || args.size() > max) throw UsageError("Aufruf: norvik-export " + usage);
}

}  // namespace norvik::standalone
