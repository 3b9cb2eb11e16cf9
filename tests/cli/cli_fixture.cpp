#include "cli/cli_fixture.h"

#include <cstdlib>
#include <sstream>

#include "standalone/cli_context.h"
#include "support/cases.h"

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

void CliFixture::RunCallTable(const std::string& table,
                              const std::vector<std::pair<std::string, std::string>>& fills) const {
    const auto filled = [&](std::string text) {
        for (const auto& [key, value] : fills)
            for (size_t p; (p = text.find(key)) != std::string::npos;)
                text.replace(p, key.size(), value);
        return text;
    };
    for (const CaseRow& c : ReadCases(table)) {
        std::vector<std::string> args;
        for (size_t i = 3; i < c.fields.size(); ++i) args.push_back(filled(c[i]));
        if (args.size() == 1 && args[0].empty()) args.clear();
        const bool withoutHome =
            args.empty() || args[0] == "--version" || args[0] == "--help" || args[0] == "--home";
        const CliOutcome r = !args.empty() && args[0] == "@cat"
                                 ? CliOutcome{0, ReadBytes(args.at(1)), ""}
                                 : Run(args, !withoutHome);
        EXPECT_EQ(r.code, std::stoi(c[0])) << c.where << "\n" << r.err;
        EXPECT_TRUE(Matches(r.out, filled(c[1]))) << c.where << "\n" << r.out;
        EXPECT_TRUE(Matches(r.err, filled(c[2]))) << c.where << "\n" << r.err;
    }
}

}  // namespace norvik::test
