// Loads arbitrary export definitions (.EXP), writes them back, loads the copy and runs the
// definition against a small table. Input: the bytes of the definition file.
//
// Holds for every input: nothing crashes; the saved copy of a definition that loaded without an
// error is a fixed point: it loads without an error report and saving it again gives the same
// bytes (after a failed load, the copy of the copy must be); a run ends with exactly one Done
// event. Hostile lengths or huge parameter lists show up as timeouts or out-of-memory under
// `make fuzz`'s limits.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "engine/tq_export.h"
#include "fuzz_session.h"

namespace {

// Counts the run's end events; anything other than one is a broken run.
class DoneCounter : public norvik::TQExportEvents {
  public:
    void Done(bool /*blValue*/) override { ++done; }
    int done = 0;
};

// The n-th saved copy of the input.
std::filesystem::path Copy(int n) {
    return norvik::fuzz::Session().exportFolder / ("FUZZ_" + std::to_string(n) + ".EXP");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    norvik::fuzz::Session();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace nf = norvik::fuzz;
    const nf::FuzzSession& s = nf::Session();
    nf::ForgetPreviousInput();
    const auto input = s.exportFolder / "FUZZ.EXP";
    const auto output = s.outputFolder / "fuzz.txt";
    nf::WriteFile(input, std::string_view(reinterpret_cast<const char*>(data), size));

    norvik::TQExport loaded(norvik::State(), norvik::Services());
    loaded.LoadFile(input.string());
    if (!loaded.ExpDef) nf::Fail("LoadFile left no definition");
    loaded.SaveFile(Copy(1).string(), "Fuzz");

    // A definition whose load stopped half-way changes in the first round (a file without
    // records gains an empty one); after that, and for any other definition from the start,
    // nothing may change.
    const int settled = nf::ReportedErrors() == 0 ? 1 : 2;
    for (int round = 2; round <= settled + 1; ++round) {
        const size_t errorsBefore = nf::ReportedErrors();
        norvik::TQExport reloaded(norvik::State(), norvik::Services());
        reloaded.LoadFile(Copy(round - 1).string());
        if (round > settled && nf::ReportedErrors() != errorsBefore)
            nf::Fail("the saved definition " + Copy(round - 1).string() + " does not load cleanly");
        reloaded.SaveFile(Copy(round).string(), "Fuzz");
    }
    if (nf::ReadFile(Copy(settled)) != nf::ReadFile(Copy(settled + 1)))
        nf::Fail("saving the reloaded definition changed it: " + Copy(settled + 1).string());

    // The run must neither read another table nor write outside the scratch folder.
    norvik::TQExportDef& def = *loaded.ExpDef;
    def.Datenquelle = nf::kTable;
    def.Dateiname = output.string();
    // Both run modes: the GDPdU build reports and logs differently.
    loaded.Mode = size % 2 == 0 ? norvik::cTQExport : norvik::cTQGDPdU;
    DoneCounter events;
    loaded.Advise(&events);
    loaded.BuildExport();
    if (events.done != 1)
        nf::Fail("the run ended with " + std::to_string(events.done) + " Done events");

    std::error_code ec;
    std::filesystem::remove(output, ec);
    return 0;
}
