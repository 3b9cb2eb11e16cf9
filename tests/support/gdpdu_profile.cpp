#include "support/gdpdu_profile.h"

namespace norvik::test {

void WriteKontenDefinitions(const TempDir& home) {
    for (const char* n : {"1", "2", "3"})
        WriteBytes(home.file("data/KONTEN" + std::string(n) + ".EXP"),
                   DefinitionBytes("[Allgemein]\nName=Konten\nDatenquelle=konten\n"
                                   "Dateiname=%DataPath%\\konten" +
                                   std::string(n) +
                                   ".txt\nKopfzeile=N\n\n[DATENSATZ]\nFIELD nr,N,,0,PK,,,\n"
                                   "FIELD name,T,,0,,,,\n"));
}

void WriteGdpduProfile(const std::string& exportPath, const std::string& file,
                       const std::string& name, const std::string& folder,
                       const std::vector<std::string>& captions) {
    std::string text = "[Allgemein]\nName=" + name + "\nPfad=" + folder + "\n\n[Dateien]\n";
    for (size_t i = 0; i < captions.size(); ++i)
        text += "File0" + std::to_string(i + 1) + "=%DataPath%\\KONTEN" + std::to_string(i + 1) +
                ".EXP;;" + captions[i] + ";Konten;Kontenplan\n";
    WriteBytes(exportPath + file, DefinitionBytes(text));
}

}  // namespace norvik::test
