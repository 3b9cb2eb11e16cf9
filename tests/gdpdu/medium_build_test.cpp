#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "common/vb_convert.h"
#include "gdpdu/handover_zip.h"
#include "host/module_state.h"
#include "medium/medium_names.h"
#include "medium_fixture.h"
#include "packages.h"
#include "support/cases.h"
#include "support/session/definition_text.h"

namespace norvik::test {
namespace {

std::string Summary(const std::string& name, int rows, const std::string& file) {
    return "Schnittstelle: " + name + "\r\nAusgabe Daten: " + std::to_string(rows) +
           " Datensätze exportiert.\r\nAusgabedatei: " + file;
}

TEST_P(MediumTest, BuildsACompleteValidMedium) {
    ASSERT_TRUE(ProvideDtd());
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
    EXPECT_EQ(Xmllint(), "");

    EXPECT_EQ(*protocol, (std::vector<std::string>{
                             "open:GDPdU - Datenausgabe|tester|LST_GDPdU|" + TodayText() +
                                 "|Prüfung 2026|" + medium + "|01.01.2026 bis 31.12.2026",
                             "line:" + Summary("Konten", 3, MediumFile("konten.txt")),
                             "line:" + Summary("Buchungen", 3, MediumFile("buchungen.txt")),
                             "line:XML-Datei erfolgreich erstellt.",
                             "line:Datenträger geprüft: keine Befunde.",
                             "close",
                         }));
    const std::string said = Filled(
        "ShowText: 4|Schnittstelle: Konten*ShowText: 4|" +
            Summary("Buchungen", 3, MediumFile("buchungen.txt")) +
            "\nShowMessage: 5|4|1|Die Datenausgabe wurde erfolgreich ausgeführt.\r\nMöchten Sie "
            "den Ordner der ausgegebenen Dateien öffnen?\n",
        {{"\r\n", "\\r\\n"}});
    EXPECT_TRUE(Matches(DescribeMessages(*messages), said)) << DescribeMessages(*messages);
    EXPECT_EQ(shell->folders, std::vector<std::string>{medium});
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
}

INSTANTIATE_TEST_SUITE_P(Backends, MediumTest,
                         ::testing::Values("sqlite", "postgres", "odbc-sqlite", "odbc-postgresql",
                                           "odbc-mariadb"),
                         [](const auto& info) {
                             return info.index < 2 ? std::to_string(info.index) : BackendName(info);
                         });

namespace fs = std::filesystem;

// Building into a folder that holds an earlier medium.
class MediumRebuildTest : public MediumTest {};

// The package of a medium depends on its files alone: not on the time zone, the umask, the files'
// times or modes; the auditor's sha256sum verifies it.
TEST_P(MediumRebuildTest, APackageDependsOnlyOnTheMediumAndSha256sumVerifiesIt) {
    ASSERT_TRUE(ProvideDtd());
    const std::string zip = medium + ".zip";
    std::string first;
    const std::string tz = std::getenv("TZ") ? std::getenv("TZ") : "";
    for (int build = 1; build <= 2; ++build) {
        const mode_t mask = ::umask(build == 2 ? 077 : 022);
        if (build == 2) ::setenv("TZ", "Pacific/Kiritimati", 1);
        ::tzset();
        LoadStandardProfile();
        gdpdu.HandoverZip = true;
        gdpdu.BuildGDPdU();
        ::umask(mask);
        tz.empty() ? ::unsetenv("TZ") : ::setenv("TZ", tz.c_str(), 1);
        ::tzset();
        ASSERT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
        if (build == 1) first = ReadBytes(zip);
    }
    EXPECT_EQ(ReadBytes(zip), first);

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
    EXPECT_EQ(Sha256sumVerdict(home.file("entpackt")), "ok");
}

INSTANTIATE_TEST_SUITE_P(Sqlite, MediumRebuildTest, ::testing::Values("sqlite"));

}  // namespace
}  // namespace norvik::test
