#include "host/shell_service.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "common/file_io.h"

namespace norvik {
namespace {

bool HasDesktop() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && *value) return true;
    return false;
}

// The program's full path from PATH, so that the child needs no search after fork.
std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate =
            (end > start ? dirs.substr(start, end - start) : ".") + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

}  // namespace

bool XdgShellService::OpenFolder(const std::string& folder) {
    if (!HasDesktop()) return false;
    const std::string program = FindProgram("xdg-open");
    if (program.empty()) return false;
    const std::string target = NativePath(folder).string();
    // Forked twice so that the file manager is nobody's child here and leaves no zombie behind.
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        if (::fork() == 0) {
            ::setsid();
            const int null = ::open("/dev/null", O_RDWR);
            if (null >= 0) {
                ::dup2(null, 0);
                ::dup2(null, 1);
                ::dup2(null, 2);
            }
            char* const argv[] = {const_cast<char*>(program.c_str()),
                                  const_cast<char*>(target.c_str()), nullptr};
            ::execv(program.c_str(), argv);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

bool RecordingShellService::OpenFolder(const std::string& folder) {
    folders.push_back(folder);
    return result;
}

}  // namespace norvik
