#include "cli/cli_fixture.h"

#include <cstdlib>
#include <sstream>

#include "standalone/cli_context.h"

namespace norvik::test {

void CliFixture::SetUp() {
    ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
}

CliOutcome CliFixture::Run(const std::vector<std::string>& args, bool withHome) const {
    std::vector<std::string> all;
    if (withHome) all = {"--home", home()};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream out, err;
    const int code = standalone::RunCli(all, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace norvik::test
