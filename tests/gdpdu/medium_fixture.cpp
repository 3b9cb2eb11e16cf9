#include "medium_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "db/connection.h"
#include "gdpdu/gdpdu_text.h"
#include "gdpdu/tq_xml.h"
#include "host/host_services.h"

namespace norvik::test {
std::string RecordingProtocol::CreateProtokoll(
    const std::shared_ptr<db::Connection>& /*connection*/, std::string& title, std::string& user,
    std::string& listName, std::string& dateText, std::string& interfaceName,
    std::string& fileOrFolder, std::string& info) {
    log_->push_back("open:" + title + "|" + user + "|" + listName + "|" + dateText + "|" +
                    interfaceName + "|" + fileOrFolder + "|" + info);
    return "1";
}

void RecordingProtocol::SetField(int16_t field, int16_t part, std::string& text) {
    log_->push_back(field == 10 && part == 0 ? "line:" + text : "field?");
}

void MediumSession::StartMedium(const std::string& backend) {
    backend_ = backend;
    Start(backend);
    shell = std::make_shared<RecordingShellService>();
    Services().shell = shell;
    protocol = std::make_shared<std::vector<std::string>>();
    Services().protocolFactory = [log = protocol] {
        return std::make_shared<RecordingProtocol>(log);
    };
    Services().busyPointer = [this](bool on) { busy.push_back(on); };

    Sql("CREATE TABLE konten (nr INTEGER, name TEXT, art TEXT)");
    Sql("INSERT INTO konten VALUES (1000, 'Kasse', 'B'), (1200, 'Bank', 'B'), (8400, 'Erlöse 19 "
        "%', 'E')");
    Sql("CREATE TABLE buchungen (nr INTEGER, datum DATE, konto INTEGER, betrag DECIMAL(12,2), text "
        "TEXT, status TEXT)");
    Sql("INSERT INTO buchungen VALUES (1, '2025-12-31', 1000, 10, 'Vorjahr', 'o'),"
        " (2, '2026-01-01', 8400, 1234.5, 'Müller & Söhne \"Brot\"', 'o'),"
        " (3, '2026-06-15', 1200, -12.34, NULL, 'b'), (4, '2026-12-31', 1000, 1000000, 'Jahresende "
        "€', 'o'), (5, '2027-01-01', 1000, 1, 'Folgejahr', 'o')");
    // The standard profile's definitions, kept beside the golden files of its medium.
    for (const char* name : {"KONTEN.EXP", "BUCHUNGEN.EXP"})
        WriteBytes(home.file(std::string("data/") + name), Golden(name));
    medium = home.file("medium");
    std::filesystem::create_directories(medium);
}

void MediumSession::StopMedium() {
    gdpdu.GxpFiles = std::make_shared<TQGxpFiles>();
    Stop();
}

void MediumSession::LoadProfile(const std::string& text) {
    const std::string path = exportPath() + "TEST.GDU";
    WriteBytes(path, DefinitionBytes(text));
    gdpdu.LoadFile(path);
    gdpdu.Pfad = medium;
    gdpdu.DatumVon = DateTime{2026, 1, 1, 0, 0, 0};
    gdpdu.DatumBis = DateTime{2026, 12, 31, 0, 0, 0};
    for (const auto& entry : *gdpdu.GxpFiles)
        entry->Export->ExpDef->Dateiname =
            medium + "/" + FileNameOnly(entry->Export->ExpDef->Dateiname);
}

void MediumSession::LoadStandardProfile() {
    LoadProfile(
        "[Allgemein]\nName=Prüfung 2026\nPfad=%DataPath%\\GDPdU\n\n[Dateien]\n"
        "File01=%DataPath%\\KONTEN.EXP;;;Konten;Kontenplan\n"
        "File02=%DataPath%\\BUCHUNGEN.EXP;REPLACE(" +
        SqlTextOf(backend_, "datum") + ", '-', '') >= $DatumVon AND REPLACE(" +
        SqlTextOf(backend_, "datum") +
        ", '-', '') <= $DatumBis;Buchungen;Buchungen;"
        "$Table & Umsätze vom $DatumVon bis $DatumBis\n");
}

bool MediumSession::ProvideDtd() {
    std::filesystem::copy_file(PublishedDtd(), exportPath() + kGdpduDtdName,
                               std::filesystem::copy_options::overwrite_existing);
    return true;
}

std::string MediumSession::Golden(const std::string& name) {
    return DefinitionBytes(
        ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/gdpdu/golden/" + name));
}

std::map<std::string, std::string> MediumSession::Snapshot() const {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(medium))
        files[entry.path().filename().string()] =
            entry.is_symlink()     ? "-> " + fs::read_symlink(entry.path()).string()
            : entry.is_directory() ? "/"
                                   : ReadBytes(entry.path().string());
    for (const auto& entry : fs::directory_iterator(fs::path(medium).parent_path()))
        if (entry.path().filename().string().find(".norvik-") != std::string::npos)
            files["../" + entry.path().filename().string()] = "";
    return files;
}

std::string MediumSession::Xmllint() const {
    const std::string report = home.file("xmllint.txt");
    const std::string command =
        "cd '" + medium + "' && xmllint --valid --noout Index.xml >'" + report + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string text = ReadBytes(report);
    return status == 0 ? text : "exit " + std::to_string(status) + ": " + text;
}

}  // namespace norvik::test
