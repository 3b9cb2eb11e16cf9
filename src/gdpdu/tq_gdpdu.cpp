#include "gdpdu/tq_gdpdu.h"

#include <cstdio>
#include <vector>

#include "common/profile_file.h"
#include "common/text_helpers.h"
#include "common/vb_error.h"
#include "gdpdu/gdpdu_text.h"
#include "host/host_messages.h"
#include "host/module_state.h"
#include "host/user_settings.h"

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
    GxpFiles->Add(iGxpFile);
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
        const std::string remembered = GetSetting("TQBExport", "Schnittstelle", Schnittstelle, "");
        Pfad = !remembered.empty() ? remembered
                                   : ReplaceText(Pfad, "%DataPath%", gCommonUserDataFolder);

        for (int number = 1; number <= 12; ++number) {
            char key[8];
            std::snprintf(key, sizeof key, "File%02d", number);
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
            entry->Export->Mode = cTQGDPdU;
            loaded = entry->Export->LoadFile(
                         ReplaceText(entry->FileName, "%DataPath%", gCommonUserDataFolder)) &&
                     loaded;
            if (!gHostSettings) throw VbError(kErrObjectNotSet);
            entry->Selected =
                gHostSettings->ReadValue("TQBExport", Schnittstelle + "_" + entry->Caption,
                                         gUserName, "1") == "1";
            AddGxpFile(entry);
        }
    } catch (const std::exception& e) {
        ReportFailure("TQGDPdU", "LoadFile", e);
        return false;
    }
    return loaded;
}

}  // namespace norvik
