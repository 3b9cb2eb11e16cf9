#pragma once
// The platform's shell: opening a folder in the user's file manager.

#include <memory>
#include <string>
#include <vector>

namespace norvik {

// The message when no file manager could show a folder; the folder follows.
inline const char* const kFolderNotOpenedMessage =
    "Der Ordner konnte nicht geöffnet werden, weil kein Dateimanager zur Verfügung steht "
    "(xdg-open). Die Dateien liegen im Ordner:\n";

class ShellService {
  public:
    virtual ~ShellService() = default;
    // Starts the file manager on the folder without waiting for it; false when none could be
    // started.
    virtual bool OpenFolder(const std::string& folder) = 0;
};

// Starts xdg-open detached; declines when there is no desktop session or no xdg-open.
class XdgShellService : public ShellService {
  public:
    bool OpenFolder(const std::string& folder) override;
};

// Keeps the folders asked for (tests) and answers with a preset result.
class RecordingShellService : public ShellService {
  public:
    bool OpenFolder(const std::string& folder) override;
    // The result of every call.
    bool result = true;
    // The folders in the order asked for.
    std::vector<std::string> folders;
};

}  // namespace norvik
