// The check of a medium on the media under cases/check. Each folder there is a medium; the file of
// its name with ".txt" first makes what a repository cannot carry, one step a line:
//   > dtd NAME           the published DTD of that name copied in (else the one our media name, as
//                        NAME), "none" for no copy (without a dtd step it lies there as
//                        gdpdu-01-08-2002.dtd)
//   > append NAME TEXT   TEXT and CR LF added to a file
//   > link TARGET NAME   a symbolic link
//   > fifo NAME          a named pipe
//   > sparse NAME SIZE   a file of SIZE zero bytes, a hole where the file system keeps one
//   > prepend NAME SIZE  SIZE bytes "x" put before a file's bytes
//   > lines NAME A B TEXT  for each number from A to B, TEXT with "#" as the number and CR LF
//                        added to a file
// then every finding line the check must give; a line ending in "*" is a prefix, a lone "*" any
// further lines (what libxml2 says varies by version). The folder "draussen" beside the media holds
// a secret that no finding may quote. Each medium is checked in a child process under a memory
// limit, so that one that makes the check hang or grow ends the child, not the test.

#include "check/medium_check.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

#include "check/handover_check.h"
#include "common/file_io.h"
#include "medium/medium_names.h"
#include "packages.h"
#include "support/cases.h"
#include "support/test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define NORVIK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NORVIK_ASAN 1
#endif
#endif

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

const std::string kSecret = "GEHEIM-4711";
// What the child's check may use beyond what the process had mapped before it.
constexpr rlim_t kMemoryHeadroom = 256u << 20;
// Ends a child that hangs; far beyond what any case takes.
constexpr unsigned kHangSeconds = 60;

void LimitMemory() {
#ifndef NORVIK_ASAN  // its shadow memory needs more address space than any limit allows
    long pages = 0;
    std::istringstream(ReadBytes("/proc/self/statm")) >> pages;
    const rlim_t limit = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + kMemoryHeadroom;
    const rlimit rl{limit, limit};
    setrlimit(RLIMIT_AS, &rl);
#endif
}

// The finding lines of a check run in a child; why the child did not end well in failure.
std::vector<std::string> CheckInChild(const std::function<std::vector<MediumFinding>()>& check,
                                      std::string& failure) {
    int fds[2];
    if (pipe(fds) != 0) {
        failure = "no pipe";
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        LimitMemory();
        alarm(kHangSeconds);
        std::string out;
        // Nothing may go back into the test runner: a child that throws (out of memory) ends.
        try {
            for (const MediumFinding& finding : check()) out += FindingLine(finding) + "\n";
        } catch (...) {
            _exit(3);
        }
        _exit(TryWriteAll(fds[1], out) == 0 ? 0 : 2);
    }
    close(fds[1]);
    std::istringstream text(ReadBytes("/proc/self/fd/" + std::to_string(fds[0])));
    close(fds[0]);
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    int status = 0;
    waitpid(pid, &status, 0);
    // A child that threw (out of memory) exits with 3, one that hung gets SIGALRM.
    if (status != 0) failure = "wait status " + std::to_string(status);
    return lines;
}

bool Matches(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
    const bool more = !expected.empty() && expected.back() == "*";
    const size_t n = expected.size() - (more ? 1 : 0);
    if (more ? lines.size() < n : lines.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        const std::string& e = expected[i];
        if (e.ends_with('*') ? !lines[i].starts_with(e.substr(0, e.size() - 1)) : lines[i] != e)
            return false;
    }
    return true;
}

// Makes the steps of a case in its medium; returns why one could not be made here, or "".
std::string MakeSteps(const std::string& medium, std::vector<std::string> steps,
                      const std::string& dtd) {
    if (std::ranges::none_of(steps, [](const std::string& s) { return s.starts_with("> dtd "); }))
        steps.insert(steps.begin(), "> dtd gdpdu-01-08-2002.dtd");
    for (const std::string& step : steps) {
        std::istringstream words(step.substr(2));
        std::string what, a, b;
        words >> what >> a;
        std::getline(words >> std::ws, b);
        const std::string path = medium + "/" + a;
        if (what == "dtd" && a != "none") {
            // The published DTD of that name where there is one; the copy may be changed.
            const fs::path published = fs::path(dtd).replace_filename(a);
            fs::copy_file(fs::exists(published) ? published : fs::path(dtd), path);
            fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
        } else if (what == "dtd") {
        } else if (what == "append") {
            WriteBytes(path, ReadBytes(path) + b + "\r\n");
        } else if (what == "link") {
            fs::create_symlink(a, medium + "/" + b);
        } else if (what == "fifo") {
            if (mkfifo(path.c_str(), 0600) != 0) return "the file system makes no FIFO";
        } else if (what == "sparse") {
            const int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CREAT, 0600);
            const bool made = fd >= 0 && ftruncate(fd, std::stoll(b)) == 0;
            if (fd >= 0) close(fd);
            if (!made) return "the file system makes no sparse file of " + a;
        } else if (what == "lines") {
            std::istringstream range(b);
            size_t from = 0, to = 0;
            std::string text, lines;
            range >> from >> to >> text;
            for (size_t i = from; i <= to; ++i) {
                std::string line = text;
                for (size_t at; (at = line.find('#')) != std::string::npos;)
                    line.replace(at, 1, std::to_string(i));
                lines += line + "\r\n";
            }
            WriteBytes(path, ReadBytes(path) + lines);
        } else if (what == "prepend") {
            WriteBytes(path, std::string(std::stoull(b), 'x') + ReadBytes(path));
        } else {
            ADD_FAILURE() << "unknown step " << step;
        }
    }
    return "";
}

TEST(MediumCheck, EachCaseMediumGivesItsFindingsAndNothingOutsideIsRead) {
    const std::string dtd = PublishedDtd();
    TempDir dir;
    fs::copy(fs::path(NORVIK_SOURCE_DIR) / "tests/gdpdu/cases/check", dir.path(),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    fs::copy_file(dtd, dir.file("draussen/gdpdu-01-08-2002.dtd"));
    MediumCheckOptions options;
    options.publishedDtd = dtd;
    std::set<std::string> covered;
    std::string unmade;
    int cases = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().extension() != ".txt") continue;
        const std::string medium = (entry.path().parent_path() / entry.path().stem()).string();
        SCOPED_TRACE(entry.path().filename().string());
        std::vector<std::string> steps, expected;
        std::istringstream text(ReadBytes(entry.path().string()));
        for (std::string line; std::getline(text, line);)
            (line.starts_with("> ") ? steps : expected).push_back(line);
        fs::create_directories(medium);
        if (const std::string why = MakeSteps(medium, steps, dtd); !why.empty()) {
            unmade += entry.path().stem().string() + ": " + why + "; ";
            continue;
        }
        ++cases;
        std::string failure;
        const std::vector<std::string> lines =
            CheckInChild([&] { return CheckMedium(medium, options); }, failure);
        std::string shown;
        for (const std::string& line : lines) {
            shown += line + "\n";
            if (line.size() > 12) covered.insert(line.substr(line.find(' ') + 1, 4));
        }
        EXPECT_EQ(failure, "");
        EXPECT_TRUE(Matches(lines, expected)) << shown;
        EXPECT_EQ(shown.find(kSecret), std::string::npos) << shown;
    }
    EXPECT_GE(cases, 60);
    // The codes of a package (G7xx) have their broken packages below. Each kind has its own code
    // and a meaning.
    for (const FindingKind& kind : FindingKinds()) {
        EXPECT_TRUE(covered.count(kind.code) || kind.code[1] == '7')
            << "no case medium for " << kind.code;
        EXPECT_EQ(&KindOf(kind.code), &kind);
        EXPECT_STRNE(kind.meaning, "") << kind.code;
    }
    EXPECT_THROW(KindOf("G999"), std::out_of_range);
    if (!unmade.empty()) GTEST_SKIP() << unmade;
}

// Writes the package of a case of cases/packages.tsv from the good package's entries; the steps
// of a case joined by "+" share its entry and value.
void WritePackage(const CaseRow& c, std::vector<ZipEntry> entries, const std::string& zip) {
    const std::string& name = c[2];
    const std::string value = WithSums(c[3], entries);
    const auto named = [&]() -> ZipEntry& {
        for (ZipEntry& entry : entries)
            if (entry.name == name) return entry;
        throw std::runtime_error("no entry " + name);
    };
    const auto has = [&](const std::string& step) {
        return ("+" + c[1] + "+").find("+" + step + "+") != std::string::npos;
    };
    if (has("flip")) named().bytes[std::stoul(value)] ^= 0x20;
    if (has("remove")) std::erase_if(entries, [&](const ZipEntry& e) { return e.name == name; });
    if (has("bare"))
        std::erase_if(entries, [&](const ZipEntry& e) {
            return e.name == kHashListName || e.name == kHandoverRecordName;
        });
    if (has("add")) entries.push_back({name, value});
    if (has("twice")) entries.push_back({name.substr(0, name.size() - 1) + "#", "x"});
    if (has("link")) entries.push_back({name, value, 0120777});
    if (has("zeros")) entries.push_back({name, std::string(std::stoul(value), '\0')});
    for (int i = 0; has("empties") && i < std::stoi(value); ++i)
        entries.push_back({"leer" + std::to_string(i) + ".txt", ""});
    if (has("long")) {
        std::string longName;
        for (int i = 0; i < std::stoi(value); ++i) longName += name;
        entries.push_back({longName + ".txt", "x"});
    }
    if (has("append")) named().bytes += value;
    for (ZipEntry& entry : entries) {
        if (has("sums") && entry.name == kHashListName) entry.bytes = value;
        // The list as tools write it that put out sums in upper case.
        for (size_t at = 0; has("upper") && entry.name == kHashListName; ++at) {
            for (size_t i = at; i < at + 64 && i < entry.bytes.size(); ++i)
                entry.bytes[i] = static_cast<char>(std::toupper(entry.bytes[i]));
            if ((at = entry.bytes.find('\n', at)) == std::string::npos) break;
        }
        if (has("prefix")) entry.name = value + entry.name;
    }
    WriteZip(zip, entries);
    if (has("layout")) RelayZip(zip, value);
    std::string bytes = ReadBytes(zip);
    for (size_t at; has("twice") &&
                    (at = bytes.find(name.substr(0, name.size() - 1) + "#")) != std::string::npos;)
        bytes[at + name.size() - 1] = name.back();
    if (has("flip-packed")) bytes[bytes.find(name) + std::stoul(value)] ^= 0x20;
    if (has("replace")) bytes = value;
    WriteBytes(zip, bytes);
}

HandoverCheckOptions PackageOptions() {
    HandoverCheckOptions options;
    options.medium.publishedDtd = PublishedDtd();
    options.maxEntries = 20;
    options.maxBytes = 1 << 20;
    return options;
}

// The packages of cases/packages.tsv, each checked in a child as the media above; together they
// give every G7xx code. Where a case names what sha256sum -c --strict says of the package, the real
// sha256sum says it too, and the check fails the sums (G707-G710) exactly when it does. The
// layouts of other programs that the check reads clean, unzip -t reads too (where it is there).
TEST(MediumCheck, EachBrokenPackageGivesItsFindingsWithinBounds) {
    TempDir dir;
    const std::string good = GoodPackage(dir);
    const HandoverCheckOptions options = PackageOptions();
    EXPECT_TRUE(CheckHandoverZip(good, options).empty());
    const bool unzip = Installed("unzip");
    std::set<std::string> covered;
    int n = 0, unzipped = 0;
    for (const CaseRow& c : ReadCases("gdpdu/cases/packages.tsv")) {
        SCOPED_TRACE(c.where + " " + c[0]);
        const std::string zip = dir.file("paket-" + std::to_string(++n) + ".zip");
        WritePackage(c, ZipEntries(good), zip);
        std::string failure;
        const std::vector<std::string> lines =
            CheckInChild([&] { return CheckHandoverZip(zip, options); }, failure);
        std::string codes, shown;
        for (const std::string& line : lines) {
            const std::string code = line.substr(line.find(' ') + 1, 4);
            covered.insert(code);
            if (codes.find(code) == std::string::npos) codes += (codes.empty() ? "" : " ") + code;
            shown += line + "\n";
        }
        EXPECT_EQ(failure, "");
        EXPECT_EQ(codes, c[4]) << shown;
        if (c.fields.size() > 5 && !c[5].empty()) {
            const std::string folder = dir.file("entpackt-" + std::to_string(n));
            for (const ZipEntry& entry : ZipEntries(zip))
                WriteBytes(folder + "/" + entry.name, entry.bytes);
            EXPECT_EQ(Sha256sumVerdict(folder), c[5]);
            bool failed = false;
            for (const char* code : {"G707", "G708", "G709", "G710"})
                failed = failed || codes.find(code) != std::string::npos;
            EXPECT_EQ(failed ? "FAILED" : "ok", c[5]) << shown;
        }
        if (unzip && c[1] == "layout" && c[4].empty()) {
            ++unzipped;
            EXPECT_EQ(std::system(("unzip -tqq '" + zip + "' >/dev/null 2>&1").c_str()), 0);
        }
    }
    for (const FindingKind& kind : FindingKinds())
        EXPECT_TRUE(covered.count(kind.code) || kind.code[1] != '7')
            << "no broken package for " << kind.code;
    EXPECT_TRUE(!unzip || unzipped >= 4);
}

}  // namespace
}  // namespace norvik::test
