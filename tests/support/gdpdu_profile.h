#pragma once
// GDPdU profiles for the tests of the dialog and its logic: tables over one "konten" definition.

#include <string>
#include <vector>

#include "support/test_support.h"

namespace norvik::test {

// Writes data/KONTEN1.EXP to data/KONTEN3.EXP into home: the table konten (nr as key, name),
// definition i into the data file konten<i>.txt.
void WriteKontenDefinitions(const TempDir& home);
// Writes a profile file into the export folder with the name, folder and one table per caption;
// table i reads %DataPath%\KONTENi.EXP.
void WriteGdpduProfile(const std::string& exportPath, const std::string& file,
                       const std::string& name, const std::string& folder,
                       const std::vector<std::string>& captions);

}  // namespace norvik::test
