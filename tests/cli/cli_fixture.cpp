#include "cli/cli_fixture.h"

#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

#include "common/vb_convert.h"
#include "db/connection.h"
#include "standalone/cli_context.h"
#ifdef NORVIK_WITH_GUI
#include "gui/cmd_gui.h"
#endif
#include "support/cases.h"

namespace norvik::test {

namespace fs = std::filesystem;

void CliFixture::SetUp() {
    ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    start_ = fs::current_path();
}

void CliFixture::TearDown() {
    if (!start_.empty()) fs::current_path(start_);
    for (auto it = setEnv_.rbegin(); it != setEnv_.rend(); ++it)
        it->second == "\x01" ? ::unsetenv(it->first.c_str())
                             : ::setenv(it->first.c_str(), it->second.c_str(), 1);
}

CliOutcome CliFixture::Run(const std::vector<std::string>& args, bool withHome) const {
    std::vector<std::string> all;
    if (withHome) all = {"--home", home()};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream out, err;
#ifdef NORVIK_WITH_GUI
    const int code = standalone::RunCli(all, out, err, standalone::CommandGui);
#else
    const int code = standalone::RunCli(all, out, err);
#endif
    return {code, out.str(), err.str()};
}

// The steps between calls; each fails with exit code 1 where its file is not there.
CliOutcome CliFixture::Step(const std::vector<std::string>& a) {
    const std::string& step = a.at(0);
    std::error_code error;
    std::string out;
    if (step == "@cat" || step == "@count") {
        if (!fs::is_regular_file(a.at(1))) return {1, "", ""};
        out = ReadBytes(a[1]);
        if (step == "@count") {
            size_t n = 0;
            for (size_t p = 0; (p = out.find(a.at(2), p)) != std::string::npos; p += a[2].size())
                ++n;
            out = std::to_string(n) + "\n";
        }
    } else if (step == "@write" || step == "@append" || step == "@def") {
        const std::string text = a.size() > 2 ? a[2] : "";
        const std::string bytes = step == "@def" ? DefinitionBytes(text) : text;
        WriteBytes(a.at(1), (step == "@append" ? ReadBytes(a[1]) : "") + bytes);
    } else if (step == "@edit") {
        std::string text = ReadBytes(a.at(1));
        const size_t at = text.find(a.at(2));
        if (at == std::string::npos) return {1, "", a[2] + " not in " + a[1]};
        WriteBytes(a[1], text.replace(at, a[2].size(), a.at(3)));
    } else if (step == "@ls") {
        if (!fs::is_directory(a.at(1))) return {1, "", ""};
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(a[1])) names.insert(e.path().filename());
        for (const std::string& name : names) out += name + "\n";
    } else if (step == "@cp") {
        fs::copy(a.at(1), a.at(2), fs::copy_options::recursive, error);
    } else if (step == "@rm") {
        fs::remove_all(a.at(1), error);
    } else if (step == "@mkdir") {
        fs::create_directories(a.at(1), error);
    } else if (step == "@cd") {
        fs::current_path(a.at(1), error);
    } else if (step == "@env") {
        const char* old = std::getenv(a.at(1).c_str());
        setEnv_.emplace_back(a[1], old ? old : "\x01");
        a.size() > 2 ? ::setenv(a[1].c_str(), a[2].c_str(), 1) : ::unsetenv(a[1].c_str());
    } else if (step == "@sql") {
        // A statement on a database (a path: an SQLite file); a SELECT gives its first column.
        const bool file = a.at(1).starts_with("/");
        if (file) fs::create_directories(fs::path(a[1]).parent_path());
        auto db = db::Connection::Open((file ? "sqlite:" : "") + a[1]);
        if (!a.at(2).starts_with("SELECT")) {
            db->Execute(a[2]);
        } else {
            for (auto rs = db->OpenRecordSet(a[2]); !rs->Eof(); rs->MoveNext())
                out += ToText(rs->Item(0)) + "\n";
        }
    } else if (step == "@zip") {
        // The folder's files at the top level of a ZIP, as other programs pack a medium.
        int zipError = 0;
        zip_t* archive = zip_open(a.at(2).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &zipError);
        if (!archive) return {1, "", "no zip"};
        for (const auto& e : fs::directory_iterator(a.at(1)))
            zip_file_add(archive, e.path().filename().c_str(),
                         zip_source_file(archive, e.path().c_str(), 0, -1), 0);
        if (zip_close(archive) != 0) return {1, "", "zip not written"};
    } else {
        return {1, "", "no step " + step};
    }
    return {error ? 1 : 0, out, error ? error.message() : ""};
}

void CliFixture::RunCallTable(const std::string& table,
                              std::vector<std::pair<std::string, std::string>> fills) {
    fills.insert(fills.end(), {{"{EXPORTS}", exports()},
                               {"{HOME}", home()},
                               {"{DIR}", dir.path().string()},
                               {"{SRC}", NORVIK_SOURCE_DIR},
                               {"{CONFIG}", dir.file("config")}});
    const auto filled = [&](const std::string& text) { return Filled(text, fills); };
    // An expected output: a pattern ("*" for any text), "@file PATH" for a file's bytes, or
    // "!TEXT" for any output without TEXT.
    const auto expect = [&](const std::string& got, const std::string& field, const CaseRow& c) {
        const std::string want = filled(field);
        if (want.starts_with("@file ")) {
            EXPECT_EQ(got, ReadBytes(want.substr(6))) << c.where;
        } else if (want.starts_with("!")) {
            EXPECT_EQ(got.find(want.substr(1)), std::string::npos) << c.where << "\n" << got;
        } else {
            EXPECT_TRUE(Matches(got, want)) << c.where << "\n" << got;
        }
    };
    for (const CaseRow& c : ReadCases(table)) {
        std::vector<std::string> args;
        for (size_t i = 3; i < c.fields.size(); ++i) args.push_back(filled(c[i]));
        if (args.size() == 1 && args[0].empty()) args.clear();
        const bool withoutHome =
            args.empty() || args[0] == "--version" || args[0] == "--help" || args[0] == "--home";
        const CliOutcome r =
            !args.empty() && args[0].starts_with("@") ? Step(args) : Run(args, !withoutHome);
        EXPECT_EQ(r.code, std::stoi(c[0])) << c.where << "\n" << r.err;
        expect(r.out, c[1], c);
        expect(r.err, c[2], c);
    }
}

}  // namespace norvik::test
