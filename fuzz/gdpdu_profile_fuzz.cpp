// Loads arbitrary GDPdU profiles (.GDU) from the export folder, which holds the demo's table
// definitions and a tiny one, so that the profile's entries load real definitions.
// Input: the bytes of the profile file.
//
// Holds for every input: nothing crashes; at most twelve tables, each with a loaded definition
// in GDPdU mode; loading the same profile again into the same object gives the same tables.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/tq_export.h"
#include "fuzz_session.h"
#include "gdpdu/tq_gdpdu.h"

#ifndef NORVIK_DEMO_DEFINITIONS
#define NORVIK_DEMO_DEFINITIONS ""
#endif

namespace {

namespace nf = norvik::fuzz;

// A table definition that needs nothing from the demo; profiles made by hand name it.
constexpr const char* kTinyDefinition =
    "[Allgemein]\r\nName=Klein\r\nDatenquelle=Daten\r\nDateiname=klein.txt\r\n"
    "[Parameter]\r\nP=\"P\",\"1\"\r\n[DATENSATZ]\r\nFIELD Nr,N,,0,PK,,,\r\nPARAM P,T,,0,,,,\r\n";

void FillExportFolder() {
    const nf::FuzzSession& s = nf::Session();
    nf::WriteFile(s.exportFolder / "KLEIN.EXP", kTinyDefinition);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(NORVIK_DEMO_DEFINITIONS, ec)) {
        if (entry.path().extension() == ".EXP")
            std::filesystem::copy_file(entry.path(), s.exportFolder / entry.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing, ec);
    }
}

// What a load gave, for comparing two loads.
std::vector<std::string> Tables(const norvik::TQGDPdU& g) {
    std::vector<std::string> out{g.Schnittstelle, g.Pfad};
    for (const auto& f : *g.GxpFiles) {
        if (!f || !f->Export) nf::Fail("a table without an engine");
        if (!f->Export->ExpDef) nf::Fail("table " + f->Caption + " has no definition");
        if (f->Export->Mode != norvik::cTQGDPdU)
            nf::Fail("table " + f->Caption + " not in GDPdU mode");
        out.insert(out.end(), {f->FileName, f->SQLString, f->Caption, f->TableName, f->TableDesc,
                               f->Selected ? "1" : "0", f->Export->ExpDef->Schnittstelle});
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FillExportFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const nf::FuzzSession& s = nf::Session();
    nf::ForgetPreviousInput();
    const auto profile = s.exportFolder / "FUZZ.GDU";
    nf::WriteFile(profile, std::string_view(reinterpret_cast<const char*>(data), size));

    norvik::TQGDPdU gdpdu(norvik::State(), norvik::Services());
    gdpdu.LoadFile(profile.string());
    if (gdpdu.GxpFiles->Count() > 12)
        nf::Fail(std::to_string(gdpdu.GxpFiles->Count()) + " tables from twelve keys");
    const std::vector<std::string> once = Tables(gdpdu);

    gdpdu.LoadFile(profile.string());
    if (Tables(gdpdu) != once) nf::Fail("loading the profile again gives other tables");
    return 0;
}
