#include "gdpdu/tq_gdpdu.h"

#include <fmt/format.h>

#include <vector>

#include "common/data_path.h"
#include "common/profile_file.h"
#include "common/vb_error.h"
#include "gdpdu/gdpdu_text.h"
#include "host/host_messages.h"

namespace norvik {
namespace {

std::vector<std::string> SplitAtSemicolons(const std::string& value) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t pos; (pos = value.find(';', start)) != std::string::npos; start = pos + 1)
        fields.push_back(value.substr(start, pos - start));
    fields.push_back(value.substr(start));
    return fields;
}

}  // namespace

void TQGDPdU::AddGxpFile(const std::shared_ptr<TQGxpFile>& iGxpFile) {
    if (iGxpFile && !iGxpFile->Export)
        iGxpFile->Export = std::make_shared<TQExport>(state_, services_);
    if (!GxpFiles->Add(iGxpFile))
        services_.Messages().ShowMessage(kAddFailedMessage, 0, kButtonsOk, false);
}

void TQGDPdU::Reset() {
    GxpFiles = std::make_shared<TQGxpFiles>();
    Schnittstelle.clear();
    Pfad.clear();
}

bool TQGDPdU::LoadFile(const std::string& FileName) {
    bool loaded = true;
    try {
        Reset();
        const ProfileFile profile = ProfileFile::Load(FileName);
        Schnittstelle = profile.Read("Allgemein", "Name", "");
        if (Schnittstelle.empty()) Schnittstelle = profile.Read("Allgemein", "Schnittstelle", "");
        Pfad = profile.Read("Allgemein", "Pfad", "");
        const std::string remembered =
            services_.UserSettings().Get("TQBExport", "Schnittstelle", Schnittstelle, "");
        Pfad =
            !remembered.empty() ? remembered : ReplaceDataPath(Pfad, state_.commonUserDataFolder);

        for (int number = 1; number <= 12; ++number) {
            const std::string key = fmt::format("File{:02}", number);
            const std::string value = profile.Read("Dateien", key, "");
            if (value.empty()) continue;
            auto entry = std::make_shared<TQGxpFile>();
            const std::vector<std::string> fields = SplitAtSemicolons(value);
            if (fields.size() < 5) throw VbError(kErrOutOfRange);
            entry->FileName = fields[0];
            entry->SQLString = fields[1];
            entry->Caption = fields[2].empty() ? CaptionFromFileName(fields[0]) : fields[2];
            entry->TableName = fields[3];
            entry->TableDesc = fields[4];
            entry->Export = std::make_shared<TQExport>(state_, services_);
            entry->Export->Mode = cTQGDPdU;
            loaded = entry->Export->LoadFile(
                         ReplaceDataPath(entry->FileName, state_.commonUserDataFolder)) &&
                     loaded;
            entry->Selected =
                state_.Settings().ReadValue("TQBExport", Schnittstelle + "_" + entry->Caption,
                                            state_.userName, "1") == "1";
            AddGxpFile(entry);
        }
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), "TQGDPdU", "LoadFile", e);
        return false;
    }
    return loaded;
}

}  // namespace norvik
