#include "fuzz_session.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "db/connection.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "host/user_settings.h"

namespace norvik::fuzz {
namespace {

// The columns of the small table: the names the demo definitions use (so that their seeds run
// through to the end) and a few short ones that a mutation finds easily.
constexpr std::string_view kColumns =
    "Nr INTEGER, Txt TEXT, Wert DECIMAL(12,2), Zahl REAL, Datum DATE, Zeit DATETIME, "
    "Ja BOOLEAN, Kundennummer INTEGER, Name TEXT, Vorname TEXT, Firma TEXT, Strasse TEXT, "
    "PLZ TEXT, Ort TEXT, Land TEXT, Email TEXT, Kreditlimit DECIMAL(12,2), Rabatt REAL, "
    "Angelegt DATE, GeaendertAm DATETIME, Artikelnummer TEXT, Bezeichnung TEXT, "
    "Warengruppe TEXT, Einheit TEXT, VKPreis DECIMAL(12,2), EKPreis DECIMAL(12,2), "
    "MwStSatz INTEGER, Bestand INTEGER, Gesperrt BOOLEAN, LetzteLieferung DATE, "
    "Kontonummer INTEGER, Kontoart TEXT, Kontenrahmen TEXT, Buchungsnummer INTEGER, "
    "Belegnummer TEXT, Belegdatum DATE, Buchungsdatum DATETIME, Konto INTEGER, "
    "Kontoname TEXT, Gegenkonto INTEGER, Betrag DECIMAL(12,2), Steuerschluessel INTEGER, "
    "Buchungstext TEXT, Kunde TEXT, Waehrung TEXT";

// SQL literals of one row by declared type: an ordinary row, a row of awkward values, a row of
// nulls. The awkward texts hold every separator and qualifier a definition may use, letters
// outside Windows-1252 and a long run, so replacements and cuts have something to work on.
std::string Literal(std::string_view type, int row) {
    if (row == 2) return "NULL";
    const bool odd = row == 1;
    if (type == "INTEGER") return odd ? "-9223372036854775807" : "4711";
    if (type == "REAL") return odd ? "-1.5e300" : "2.5";
    if (type == "BOOLEAN") return odd ? "0" : "1";
    if (type == "DATE") return odd ? "'1899-12-30'" : "'2026-12-31'";
    if (type == "DATETIME") return odd ? "'0100-01-01 00:00:00'" : "'2026-02-28 23:59:58'";
    if (type.starts_with("DECIMAL")) return odd ? "'-99999999999999999999.01'" : "'1234.50'";
    return odd ? "' ;|,.:#''\"@ Grüße € ✓ 😀 \t " + std::string(300, 'x') + "'" : "'Müller & Söhne'";
}

void CreateTable(db::Connection& c) {
    c.Execute(std::string("CREATE TABLE ") + kTable + " (" + std::string(kColumns) + ")");
    for (int row = 0; row < 3; ++row) {
        std::string insert = std::string("INSERT INTO ") + kTable + " VALUES (";
        for (size_t start = 0; start < kColumns.size();) {
            const size_t end = std::min(kColumns.find(", ", start), kColumns.size());
            const std::string_view column = kColumns.substr(start, end - start);
            if (start > 0) insert += ", ";
            insert += Literal(column.substr(column.find(' ') + 1), row);
            start = end + 2;
        }
        c.Execute(insert + ")");
    }
}

constexpr const char* kScratchPrefix = "norvik-fuzz-";

// libFuzzer ends with _Exit, so the folders of earlier processes are removed by the next one:
// each is named after its process, and a process that is gone no longer needs it.
void RemoveStaleScratch(const std::filesystem::path& base) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kScratchPrefix)) continue;
        const std::string pid = name.substr(std::string_view(kScratchPrefix).size());
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (::kill(std::stoi(pid), 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(entry.path(), ec);
    }
}

void PrintMessages() {
    for (const auto& call : Session().messages->calls)
        std::fprintf(stderr, "  %s %s.%s %d: %s\n", call.kind.c_str(), call.className.c_str(),
                     call.operation.c_str(), call.number, call.text.c_str());
}

void RemoveScratch() {
    std::error_code ec;
    std::filesystem::remove_all(ScratchFolder(), ec);
}

FuzzSession Start() {
    const auto& root = ScratchFolder();
    FuzzSession s;
    s.dataFolder = root / "Daten";
    s.exportFolder = root / "Drivers" / "Export";
    s.outputFolder = root / "Ausgabe";
    for (const auto& folder : {s.dataFolder, s.exportFolder, s.outputFolder, root / "config"})
        std::filesystem::create_directories(folder);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);

    State().Reset();
    Services().Reset();
    s.messages = std::make_shared<RecordingHostMessages>();
    Services().messages = s.messages;
    s.session = std::make_shared<HostSession>();
    // "%DataPath%\..\Drivers\Export\" is the export folder, as in a host's installation.
    s.session->environment = HostEnvironment{root.string(), root.string() + "/",
                                             (root / "user").string(), s.dataFolder.string()};
    s.session->userName = "fuzz";
    s.session->connection = db::Connection::Open("sqlite:" + (root / "host.sqlite").string());
    CreateTable(*s.session->connection);
    SessionStart(s.session);
    // No protocol entries: they would grow the database with every input.
    State().Settings().WriteValue("TQBExport", "ProtokollErzeugen", "0", State().userName);
    return s;
}

}  // namespace

const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path base = "/dev/shm";
        if (const char* env = std::getenv("NORVIK_FUZZ_SCRATCH"); env && *env)
            base = env;
        else if (::access(base.c_str(), W_OK) != 0)
            base = std::filesystem::temp_directory_path();
        RemoveStaleScratch(base);
        const auto own = base / (std::string(kScratchPrefix) + std::to_string(::getpid()));
        std::error_code ec;
        std::filesystem::remove_all(own, ec);
        if (!std::filesystem::create_directories(own, ec)) {
            std::fprintf(stderr, "cannot create %s: %s\n", own.c_str(), ec.message().c_str());
            std::abort();
        }
        return own;
    }();
    // Registered once the folder exists, so that it runs before the folder's destructor.
    [[maybe_unused]] static const bool removedAtExit = std::atexit(RemoveScratch) == 0;
    return folder;
}

FuzzSession& Session() {
    static FuzzSession session = Start();
    return session;
}

void ForgetPreviousInput() {
    FuzzSession& s = Session();
    s.messages->calls.clear();
    s.messages->answer = kAnswerNo;
    std::error_code ec;
    std::filesystem::remove(UserSettingsFolder() / "TQBExport.ini", ec);
}

size_t ReportedErrors() {
    size_t n = 0;
    for (const auto& call : Session().messages->calls) n += call.kind == "ReportError";
    return n;
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) Fail("cannot write " + path.string());
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Fail(const std::string& reason) {
    std::fprintf(stderr, "\n==== invariant failed: %s\n", reason.c_str());
    // Only a started session has messages; the profile target never starts one.
    if (State().session) PrintMessages();
    std::fflush(stderr);
    std::abort();
}

}  // namespace norvik::fuzz
