#include "standalone/dialog_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "standalone/cli_context.h"

namespace norvik::standalone {
namespace {

namespace fs = std::filesystem;

// Beside the program in a build, in its own folder below libexec when installed.
fs::path DialogProgram() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    const fs::path folder = error ? fs::path(NORVIK_INSTALL_BINDIR) : self.parent_path();
    const fs::path beside = folder / kDialogProgramName;
    if (fs::exists(beside, error)) return beside;
    return (folder / NORVIK_DIALOG_FOLDER_FROM_BIN / kDialogProgramName).lexically_normal();
}

}  // namespace

void HandOverToDialogProgram(const std::vector<std::string>& call) {
    const fs::path program = DialogProgram();
    // The name it was called by, for Qt and for ps.
    std::vector<char*> argv;
    static char name[] = "norvik-export";
    argv.push_back(name);
    for (const std::string& a : call) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    const int err = errno;
    if (err == ENOENT)
        throw CommandRefused("Die Dialoge sind nicht installiert: " + program.string() +
                             " fehlt. Die Befehle run und gdpdu arbeiten ohne sie.");
    throw CommandRefused("Die Dialoge lassen sich nicht starten (" + program.string() +
                         "): " + std::strerror(err));
}

}  // namespace norvik::standalone
