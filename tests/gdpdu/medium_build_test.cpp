#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "common/vb_convert.h"
#include "gdpdu/handover_zip.h"
#include "gdpdu/medium_check.h"
#include "host/module_state.h"
#include "host/user_settings.h"
#include "medium_fixture.h"
#include "medium_writer.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

std::string Summary(const std::string& name, int rows, const std::string& file) {
    return "Schnittstelle: " + name + "\r\nAusgabe Daten: " + std::to_string(rows) +
           " Datensätze exportiert.\r\nAusgabedatei: " + file;
}

TEST_P(MediumTest, BuildsACompleteValidMedium) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    State().hostSettings->WriteValue("Firmendaten", "Bez1", "Norvik Handels GmbH & Co. KG €",
                                     "STANDARD");
    State().hostSettings->WriteValue("Firmendaten", "ORT", "Köln", "standard");
    LoadStandardProfile();
    ASSERT_TRUE(messages->calls.empty());
    messages->answer = kAnswerYes;

    gdpdu.BuildGDPdU();

    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    EXPECT_EQ(ReadBytes(MediumFile("konten.txt")), Golden("konten.txt"));
    EXPECT_EQ(ReadBytes(MediumFile("buchungen.txt")), Golden("buchungen.txt"));
    EXPECT_EQ(ReadBytes(MediumFile("Index.xml")), Golden("Index.xml"));
    EXPECT_EQ(ReadBytes(MediumFile("gdpdu-01-08-2002.dtd")),
              ReadBytes(State().exportPath + "gdpdu-01-08-2002.dtd"));
    EXPECT_EQ(Xmllint(), "");
    MediumCheckOptions options;
    options.publishedDtd = PublishedDtd();
    EXPECT_TRUE(CheckMedium(medium, options).empty());

    EXPECT_EQ(*protocol, (std::vector<std::string>{
                             "open:GDPdU - Datenausgabe|tester|LST_GDPdU|" + TodayText() +
                                 "|Prüfung 2026|" + medium + "|01.01.2026 bis 31.12.2026",
                             "line:" + Summary("Konten", 3, MediumFile("konten.txt")),
                             "line:" + Summary("Buchungen", 3, MediumFile("buchungen.txt")),
                             "line:XML-Datei erfolgreich erstellt.",
                             "line:Datenträger geprüft: keine Befunde.",
                             "close",
                         }));
    ASSERT_EQ(messages->calls.size(), 3u);
    EXPECT_EQ(messages->calls[0].kind, "ShowText");
    EXPECT_EQ(messages->calls[0].style, 4);
    EXPECT_EQ(messages->calls[1].text, Summary("Buchungen", 3, MediumFile("buchungen.txt")));
    EXPECT_EQ(messages->calls[2].kind, "ShowMessage");
    EXPECT_EQ(messages->calls[2].text, kSuccess);
    EXPECT_EQ(messages->calls[2].style, 5);
    EXPECT_EQ(messages->calls[2].buttons, 4);
    EXPECT_TRUE(messages->calls[2].flag);
    EXPECT_EQ(shell->folders, std::vector<std::string>{medium});
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));

    // The folder is remembered for the interface and proposed by the next load.
    EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Prüfung 2026"), medium);
    TQGDPdU again{State(), Services()};
    again.LoadFile(State().exportPath + "TEST.GDU");
    EXPECT_EQ(again.Pfad, medium);
}

// Runs with another time zone and umask while it lives.
class OtherClock {
  public:
    OtherClock(const OtherClock&) = delete;
    OtherClock& operator=(const OtherClock&) = delete;
    OtherClock() : mask_(::umask(077)) {
        if (const char* tz = std::getenv("TZ")) tz_ = tz;
        ::setenv("TZ", "Pacific/Kiritimati", 1);
        ::tzset();
    }
    ~OtherClock() {
        ::umask(mask_);
        if (tz_.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", tz_.c_str(), 1);
        ::tzset();
    }

  private:
    mode_t mask_;
    std::string tz_;
};

TEST_P(MediumTest, APackageDependsOnlyOnTheMediumAndSha256sumVerifiesIt) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    const std::string zip = medium + ".zip";
    std::string first;
    for (int build = 1; build <= 2; ++build) {
        std::optional<OtherClock> other;
        if (build == 2) other.emplace();
        LoadStandardProfile();
        gdpdu.HandoverZip = true;
        gdpdu.BuildGDPdU();
        ASSERT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
        EXPECT_EQ(protocol->at(protocol->size() - 2),
                  "line:ZIP-Datei für die Übergabe geschrieben: " + zip);
        if (build == 1) first = ReadBytes(zip);
    }
    EXPECT_EQ(ReadBytes(zip), first);

    // Files ten years younger and private pack into the same bytes.
    std::string record;
    for (const ZipEntry& entry : ZipEntries(zip)) {
        EXPECT_EQ(entry.mode, 0100644u) << entry.name;
        if (entry.name == kHandoverRecordName) record = entry.bytes;
        WriteBytes(home.file("entpackt/" + entry.name), entry.bytes);
    }
    for (const auto& entry : fs::directory_iterator(medium)) {
        fs::last_write_time(entry.path(),
                            fs::file_time_type::clock::now() + std::chrono::hours(24 * 3650));
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write);
    }
    const std::string again = home.file("wieder.zip");
    WriteHandoverZip(medium, HashMediumFiles(medium, PackageOrder({"buchungen.txt", "konten.txt"})),
                     record, again);
    EXPECT_EQ(ReadBytes(again), first);

    // The auditor's own tool agrees with the sums.
    const std::string command = "cd '" + home.file("entpackt") +
                                "' && sha256sum --check --quiet Pruefsummen.sha256 >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, MediumTest,
                         ::testing::Values("sqlite", "postgres", "odbc-sqlite", "odbc-postgresql",
                                           "odbc-mariadb"),
                         [](const auto& info) {
                             return info.index < 2 ? std::to_string(info.index) : BackendName(info);
                         });

}  // namespace
}  // namespace norvik::test
