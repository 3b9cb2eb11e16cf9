#pragma once
// A GDPdU profile over SQLite, a private PostgreSQL schema or a private database through ODBC: two
// tables, their definitions in the data folder, recorded messages, shell and protocol, and a
// medium folder to build into.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gdpdu/tq_gdpdu.h"
#include "host/protocol_object.h"
#include "host/shell_service.h"
#include "support/backends/backends.h"
#include "support/session/session_fixture.h"
#include "support/test_support.h"

namespace norvik::test {

// The host's log component, keeping its calls as "open:…", "line:…" and "close".
class RecordingProtocol : public ProtocolObject {
  public:
    explicit RecordingProtocol(std::shared_ptr<std::vector<std::string>> log)
        : log_(std::move(log)) {}
    ~RecordingProtocol() override { log_->push_back("close"); }
    std::string CreateProtokoll(const std::shared_ptr<db::Connection>& connection,
                                std::string& title, std::string& user, std::string& listName,
                                std::string& dateText, std::string& interfaceName,
                                std::string& fileOrFolder, std::string& info) override;
    void AddNewRecord() override {}
    void SetField(int16_t field, int16_t part, std::string& text) override;
    void UpdateRecord() override {}

  private:
    std::shared_ptr<std::vector<std::string>> log_;
};

// A session with recorded protocol, shell and busy pointer, the tables konten and buchungen with
// their definitions, and an empty medium folder.
class MediumSession : public TestSession {
  protected:
    // Starts on "sqlite", PostgreSQL ("postgres") or an ODBC back end (the caller has made sure
    // there is one).
    void StartMedium(const std::string& backend);
    void StopMedium();

    // Writes the profile (UTF-8 lines) into the export folder, loads it and prepares the build as
    // the dialog does: period 2026, Pfad the medium folder, each data file inside it.
    void LoadProfile(const std::string& text);
    // The standard profile: Konten and Buchungen (with header and trailer records) for 2026.
    void LoadStandardProfile();
    // Copies the standard's DTD into the export folder; false when it is not to be found.
    bool ProvideDtd();
    // A file of the medium folder.
    std::string MediumFile(const std::string& name) const { return medium + "/" + name; }
    // The bytes of a golden file, UTF-8 with LF in the repository, as Windows-1252 with CR LF.
    static std::string Golden(const std::string& name);
    // Every entry of the medium folder with its bytes, a link's target ("-> TARGET") or "/" for a
    // folder, and the temporary entries of ours beside it ("../NAME").
    std::map<std::string, std::string> Snapshot() const;
    // Runs xmllint --valid on the medium's Index.xml; returns its messages, empty when valid.
    std::string Xmllint() const;

    std::string medium;
    TQGDPdU gdpdu{State(), Services()};
    std::shared_ptr<RecordingShellService> shell;
    std::shared_ptr<std::vector<std::string>> protocol;
    std::vector<bool> busy;

  private:
    std::string backend_;
};

// A medium over a back end ("sqlite", "postgres", "odbc-sqlite", "odbc-postgresql",
// "odbc-mariadb"), by the test's parameter (what follows a "/" in it is the test's).
class MediumTest : public ::testing::TestWithParam<std::string>, public MediumSession {
  protected:
    void SetUp() override {
        const std::string backend = GetParam().substr(0, GetParam().find('/'));
        NORVIK_REQUIRE_BACKEND(backend == "postgres" ? "postgresql" : backend);
        StartMedium(backend);
    }
    void TearDown() override { StopMedium(); }
};

}  // namespace norvik::test
