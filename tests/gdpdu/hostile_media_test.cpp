// Media made to turn the check against the machine it runs on: links out of the folder, entities
// naming outside files, FIFOs, devices and huge files. Each is checked in a child process under a
// memory limit, so that one that makes the check hang or grow ends the child, not the test.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "gdpdu/handover_check.h"
#include "gdpdu/handover_zip.h"
#include "gdpdu/medium_check.h"
#include "medium_writer.h"
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

// Text of the file outside the medium; no finding may quote it.
const std::string kSecret = "GEHEIM-4711";
const std::string kDoctype = "<!DOCTYPE DataSet SYSTEM \"gdpdu-01-08-2002.dtd\">";
const std::string kKonten = VariableTable(
    "konten.txt", "Konten", Column("nr", "<Numeric/>", true) + Column("name", "<AlphaNumeric/>"));

// What the child's check may use beyond what the process had mapped before it.
constexpr rlim_t kMemoryHeadroom = 256u << 20;
// Ends a child that hangs; far beyond what any case takes.
constexpr unsigned kHangSeconds = 60;

void LimitMemory() {
#ifndef NORVIK_ASAN  // its shadow memory needs more address space than any limit allows
    long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
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
        std::FILE* pipeOut = fdopen(fds[1], "w");
        _exit(pipeOut && std::fputs(out.c_str(), pipeOut) >= 0 && std::fclose(pipeOut) == 0 ? 0
                                                                                            : 2);
    }
    close(fds[1]);
    std::FILE* pipeIn = fdopen(fds[0], "r");
    std::vector<std::string> lines;
    char line[8192];
    while (pipeIn && std::fgets(line, sizeof line, pipeIn))
        lines.emplace_back(line, std::strlen(line) - 1);
    if (pipeIn) std::fclose(pipeIn);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        failure = WTERMSIG(status) == SIGALRM
                      ? "hung"
                      : "killed by signal " + std::to_string(WTERMSIG(status));
    else if (WEXITSTATUS(status) != 0)
        failure = WEXITSTATUS(status) == 3 ? "threw (out of memory?)"
                                           : "exit " + std::to_string(WEXITSTATUS(status));
    return lines;
}

void ReplaceInIndex(const std::string& folder, const std::string& from, const std::string& to) {
    std::string xml = ReadBytes(folder + "/Index.xml");
    xml.replace(xml.find(from), from.size(), to);
    WriteBytes(folder + "/Index.xml", xml);
}

// A DOCTYPE with an internal subset, and text put where the medium's name stands.
std::function<void(const std::string&)> Subset(const std::string& subset,
                                               const std::string& name = "") {
    return [=](const std::string& f) {
        ReplaceInIndex(f, kDoctype, kDoctype.substr(0, kDoctype.size() - 1) + " [" + subset + "]>");
        if (!name.empty()) ReplaceInIndex(f, "<Name>Datentr\xE4ger", "<Name>" + name);
    };
}

// Why a case could not be made here.
struct Unmakeable {
    std::string reason;
};

std::function<void(const std::string&)> Link(const std::string& target, const std::string& name) {
    return [=](const std::string& f) {
        fs::remove(f + "/" + name);
        fs::create_symlink(target, f + "/" + name);
    };
}

std::function<void(const std::string&)> Fifo(const std::string& name) {
    return [=](const std::string& f) {
        fs::remove(f + "/" + name);
        if (mkfifo((f + "/" + name).c_str(), 0600) != 0)
            throw Unmakeable{"the file system makes no FIFO"};
    };
}

// A file of this size without a line break, as a hole where the file system keeps one.
std::function<void(const std::string&)> Sparse(const std::string& name, off_t size) {
    return [=](const std::string& f) {
        const int fd = open((f + "/" + name).c_str(), O_WRONLY | O_TRUNC | O_CREAT, 0600);
        const bool made = fd >= 0 && ftruncate(fd, size) == 0;
        if (fd >= 0) close(fd);
        if (!made) throw Unmakeable{"the file system makes no sparse file of " + name};
    };
}

struct Hostile {
    const char* what;
    std::string tables;                              // of the medium, with konten.txt
    std::function<void(const std::string&)> change;  // made to the written medium
    std::vector<std::string> lines;  // every finding line; one ending in "*" is a prefix
};

const std::string kDevice = "/dev/zero";
const std::string k2Gb = "2.147.483.648";

std::vector<Hostile> HostileMedia() {
    const std::string secret = "../draussen/geheim.txt";
    return {
        {"parameter entity",
         kKonten,
         [](const std::string& f) {
             // The usual trick: the outside file's text in a URL that an error message quotes.
             WriteBytes(f + "/boese.dtd",
                        "<!ENTITY % geheim SYSTEM \"../draussen/geheim.txt\">\n"
                        "<!ENTITY % wrap \"<!ENTITY &#x25; leak SYSTEM 'file:///x/%geheim;'>\">\n"
                        "%wrap; %leak;\n");
             Subset("<!ENTITY % ext SYSTEM \"boese.dtd\"> %ext;")(f);
         },
         {"FEHLER G107 Index.xml: Index.xml will über die Entität „%ext“ „boese.dtd“ nachladen; "
          "außer der im DOCTYPE genannten DTD wird nichts nachgeladen.",
          "WARNUNG G206 boese.dtd*"}},
        {"external entity",
         kKonten,
         Subset("<!ENTITY xxe SYSTEM \"" + secret + "\">", "&xxe;"),
         {"FEHLER G107 Index.xml: Index.xml will über die Entität „xxe“ „" + secret +
          "“ nachladen; außer der im DOCTYPE genannten DTD wird nichts nachgeladen."}},
        {"XInclude",
         kKonten,
         [=](const std::string& f) {
             ReplaceInIndex(f, "<Media>",
                            "<Media><xi:include xmlns:xi=\"http://www.w3.org/2001/XInclude\" "
                            "href=\"" +
                                secret + "\" parse=\"text\"/>");
         },
         {"FEHLER G107 Index.xml:5: Index.xml enthält ein XInclude-Element (include); außer der "
          "im DOCTYPE genannten DTD wird nichts nachgeladen.",
          "*"}},
        {"DOCTYPE out of the folder",
         kKonten,
         [=](const std::string& f) {
             ReplaceInIndex(f, "gdpdu-01-08-2002.dtd\">", secret + "\">");
         },
         {"FEHLER G106 Index.xml: Index.xml nennt als DTD „" + secret +
              "“ statt gdpdu-01-08-2002.dtd.",
          "FEHLER G108 Index.xml: Die DTD „" + secret +
              "“ aus dem DOCTYPE führt aus dem Ordner des Datenträgers; sie wird nicht gelesen."}},
        {"DOCTYPE a FIFO",
         kKonten,
         [](const std::string& f) {
             ReplaceInIndex(f, "gdpdu-01-08-2002.dtd\">", "rohr.dtd\">");
             Fifo("rohr.dtd")(f);
         },
         {"FEHLER G106 Index.xml: Index.xml nennt als DTD „rohr.dtd“ statt gdpdu-01-08-2002.dtd.",
          "FEHLER G108 Index.xml: Die DTD „rohr.dtd“ aus dem DOCTYPE ist keine gewöhnliche Datei, "
          "sondern eine benannte Pipe (FIFO); sie wird nicht gelesen."}},
        {"Index.xml a link out",
         kKonten,
         Link("../draussen/Index.xml", "Index.xml"),
         {"FEHLER G108 Index.xml: Index.xml führt über eine Verknüpfung aus dem Ordner des "
          "Datenträgers; sie wird nicht gelesen."}},
        {"DTD copy a device",
         kKonten,
         Link(kDevice, "gdpdu-01-08-2002.dtd"),
         {"FEHLER G108 gdpdu-01-08-2002.dtd: Die DTD-Datei führt über eine Verknüpfung aus dem "
          "Ordner des Datenträgers; sie wird nicht gelesen."}},
        {"DTD copy a FIFO",
         kKonten,
         Fifo("gdpdu-01-08-2002.dtd"),
         {"FEHLER G108 gdpdu-01-08-2002.dtd: Die DTD-Datei ist keine gewöhnliche Datei, sondern "
          "eine benannte Pipe (FIFO); sie wird nicht gelesen."}},
        {"DTD copy huge",
         kKonten,
         Sparse("gdpdu-01-08-2002.dtd", off_t{2} << 30),
         {"FEHLER G108 Index.xml: Die DTD „gdpdu-01-08-2002.dtd“ aus dem DOCTYPE ist " + k2Gb +
              " Bytes groß; die Prüfung liest höchstens 1.048.576 Bytes.",
          "FEHLER G105 gdpdu-01-08-2002.dtd*"}},
        {"data file a link out",
         kKonten,
         Link(secret, "konten.txt"),
         {"FEHLER G205 konten.txt: Tabelle Konten: Datei führt über eine Verknüpfung aus dem "
          "Ordner des Datenträgers; sie wird nicht gelesen."}},
        {"folder a link out",
         VariableTable("sub/geheim.txt", "Konten", Column("nr", "<Numeric/>", true)),
         Link("../draussen", "sub"),
         {"WARNUNG G206 konten.txt*",
          "FEHLER G205 sub/geheim.txt: Tabelle Konten: Ordner „sub“ führt über eine Verknüpfung "
          "aus dem Ordner des Datenträgers; die Datei wird nicht gelesen."}},
        {"data file a FIFO",
         kKonten,
         Fifo("konten.txt"),
         {"FEHLER G205 konten.txt: Tabelle Konten: Datei ist keine gewöhnliche Datei, sondern "
          "eine benannte Pipe (FIFO); sie wird nicht gelesen."}},
        {"data file a device",
         kKonten,
         Link(kDevice, "konten.txt"),
         {"FEHLER G205 konten.txt: Tabelle Konten: Datei führt über eine Verknüpfung aus dem "
          "Ordner des Datenträgers; sie wird nicht gelesen."}},
        {"2 GB without a line break",
         kKonten,
         Sparse("konten.txt", off_t{2} << 30),
         {"FEHLER G408 konten.txt:1: Tabelle Konten: Satz ist " + k2Gb +
          " Bytes lang; die Prüfung liest Sätze bis 1.048.576 Bytes und geht beim nächsten "
          "Satztrenner weiter."}},
        {"a long line, then more",
         kKonten,
         [](const std::string& f) {
             WriteBytes(f + "/konten.txt", std::string(3 << 20, 'x') + "\r\n1000;\"Kasse\";x\r\n");
         },
         {"FEHLER G408 konten.txt:1: Tabelle Konten: Satz ist 3.145.728 Bytes lang; die Prüfung "
          "liest Sätze bis 1.048.576 Bytes und geht beim nächsten Satztrenner weiter.",
          "FEHLER G401 konten.txt:2: Tabelle Konten: Zeile hat 3 Felder, erwartet 2."}},
        {"fixed records of 4 GB",
         "<Table><URL>konten.txt</URL><Name>Konten</Name><FixedLength><Length>4294967296"
         "</Length><FixedPrimaryKey><Name>nr</Name><Numeric/><FixedRange><From>1</From><To>4"
         "</To></FixedRange></FixedPrimaryKey></FixedLength></Table>\r\n",
         Sparse("konten.txt", off_t{2} << 30),
         {"FEHLER G408 konten.txt: Tabelle Konten: Sätze von 4.294.967.296 Zeichen (Length) sind "
          "länger als die 1.048.576 Bytes, die die Prüfung liest; Daten nicht geprüft."}},
    };
}

// A lone "*" at the end stands for any further lines (what libxml2 says varies by version).
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

TEST(HostileMedia, NothingOutsideIsReadNothingHangsAndMemoryStaysFlat) {
    if (PublishedDtd().empty()) GTEST_SKIP() << "needs the published GDPdU DTD";
    TempDir dir;
    // What lies outside the medium: a secret, and a good Index.xml to link to.
    WriteBytes(dir.file("draussen/geheim.txt"), kSecret + ";" + kSecret + "\r\n");
    WriteMedium(dir.file("draussen"), {kKonten, {{"konten.txt", "1000;\"Kasse\"\r\n"}}});
    int n = 0;
    std::string unmade;
    for (const Hostile& c : HostileMedia()) {
        SCOPED_TRACE(c.what);
        const std::string folder = dir.file("medium-" + std::to_string(++n));
        WriteMedium(folder, {c.tables, {{"konten.txt", "1000;\"Kasse\"\r\n"}}});
        try {
            c.change(folder);
        } catch (const Unmakeable& e) {
            unmade += std::string(c.what) + ": " + e.reason + "; ";
            continue;
        }
        std::string failure;
        MediumCheckOptions options;
        options.publishedDtd = PublishedDtd();
        const std::vector<std::string> lines =
            CheckInChild([&] { return CheckMedium(folder, options); }, failure);
        std::string shown;
        for (const std::string& line : lines) shown += line + "\n";
        EXPECT_EQ(failure, "");
        EXPECT_TRUE(Matches(lines, c.lines)) << shown;
        EXPECT_EQ(shown.find(kSecret), std::string::npos) << shown;
    }
    if (!unmade.empty()) GTEST_SKIP() << unmade;
}

// A package from anyone: a change to a good one and the codes of its findings.
struct HostilePackage {
    const char* what;
    std::function<void(std::vector<ZipEntry>&)> change;  // of the good package's entries
    std::vector<std::string> codes;                      // each code found, in order, once
    // When given: the bytes of the package written from the changed entries, changed again.
    std::function<void(std::string&)> patch = nullptr;
};

std::function<void(std::vector<ZipEntry>&)> Adding(const std::string& name,
                                                   const std::string& bytes,
                                                   unsigned mode = 0100644) {
    return [=](std::vector<ZipEntry>& entries) { entries.push_back({name, bytes, mode}); };
}

ZipEntry& Named(std::vector<ZipEntry>& entries, const std::string& name) {
    for (ZipEntry& entry : entries)
        if (entry.name == name) return entry;
    throw std::runtime_error("no entry " + name);
}

std::vector<HostilePackage> HostilePackages() {
    const auto nothing = [](std::vector<ZipEntry>&) {};
    return {
        {"a byte changed", [](auto& e) { Named(e, "konten.txt").bytes[6] = 'X'; }, {"G709"}},
        {"a file missing",
         [](auto& e) { std::erase_if(e, [](auto& x) { return x.name == "konten.txt"; }); },
         {"G710", "G202"}},
        {"a file too many", Adding("notiz.txt", "x"), {"G711", "G206"}},
        {"a name leading out", Adding("../boese.txt", "x"), {"G702"}},
        {"an absolute name", Adding("/tmp/boese.txt", "x"), {"G702"}},
        {"the medium one folder down",
         [](auto& e) {
             for (ZipEntry& entry : e) entry.name = "Medium/" + entry.name;
         },
         {"G703", "G708", "G712", "G101", "G104"}},
        {"a link", Adding("link.txt", "/etc/passwd", 0120777), {"G704"}},
        {"a name twice in other letter case", Adding("KONTEN.TXT", "x"), {"G705"}},
        {"a name twice",
         Adding("konten.txX", "x"),
         {"G705"},
         [](std::string& bytes) {
             for (size_t at; (at = bytes.find("konten.txX")) != std::string::npos;)
                 bytes[at + 9] = 't';
         }},
        {"a packed byte changed",
         nothing,
         {"G707", "G202"},
         [](std::string& bytes) { bytes[bytes.find("konten.txt") + 11] ^= 0x20; }},
        {"a bomb over the bound", Adding("null.bin", std::string(2 << 20, '\0')), {"G706"}},
        {"too many entries",
         [](auto& e) {
             for (int i = 0; i < 20; ++i) e.push_back({"leer" + std::to_string(i) + ".txt", ""});
         },
         {"G706"}},
        {"a line of the sums unreadable",
         [](auto& e) { Named(e, kHashListName).bytes += "kaputt\n"; },
         {"G708"}},
        {"no ZIP at all", nothing, {"G701"}, [](std::string& bytes) { bytes = "kein ZIP"; }},
    };
}

TEST(HostileMedia, EachBrokenPackageGivesItsFindingsWithinBounds) {
    if (PublishedDtd().empty()) GTEST_SKIP() << "needs the published GDPdU DTD";
    TempDir dir;
    const std::string folder = dir.file("Medium");
    WriteMedium(folder, {kKonten, {{"konten.txt", "1000;\"Kasse\"\r\n"}}});
    const std::string good = folder + ".zip";
    WriteHandoverZip(folder, HashMediumFiles(folder, PackageOrder({"konten.txt"})), "Protokoll",
                     good);
    HandoverCheckOptions options;
    options.medium.publishedDtd = PublishedDtd();
    options.maxEntries = 20;
    options.maxBytes = 1 << 20;
    EXPECT_TRUE(CheckHandoverZip(good, options).empty());
    int n = 0;
    for (const HostilePackage& c : HostilePackages()) {
        SCOPED_TRACE(c.what);
        std::vector<ZipEntry> entries = ZipEntries(good);
        c.change(entries);
        const std::string zip = dir.file("paket-" + std::to_string(++n) + ".zip");
        WriteZip(zip, entries);
        if (c.patch) {
            std::string bytes = ReadBytes(zip);
            c.patch(bytes);
            WriteBytes(zip, bytes);
        }
        std::string failure;
        const std::vector<std::string> lines =
            CheckInChild([&] { return CheckHandoverZip(zip, options); }, failure);
        std::vector<std::string> codes;
        std::string shown;
        for (const std::string& line : lines) {
            const std::string code = line.substr(line.find(' ') + 1, 4);
            if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
            shown += line + "\n";
        }
        EXPECT_EQ(failure, "");
        EXPECT_EQ(codes, c.codes) << shown;
    }
}

}  // namespace
}  // namespace norvik::test
