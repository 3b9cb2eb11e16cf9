// Checks arbitrary GDPdU media: Index.xml and one data file, with the published DTD beside them
// when it is found, written into a scratch folder per input as the check reads files.
// Input: the bytes of Index.xml, a NUL byte, the bytes of the data file daten.txt (the seeds'
// Index.xml names it).
//
// Holds for every input: nothing crashes, hangs or grows; every finding has a known code and its
// kind's severity; its line prints.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "check/medium_check.h"
#include "fuzz_session.h"
#include "medium/medium_names.h"

#ifndef NORVIK_DTD_DIR
#define NORVIK_DTD_DIR ""
#endif

namespace {

namespace fs = std::filesystem;
namespace nf = norvik::fuzz;

// Set once, before the first input.
fs::path medium;
norvik::MediumCheckOptions options;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    medium = nf::ScratchFolder() / "medium";
    fs::create_directories(medium);
    const fs::path published = fs::path(NORVIK_DTD_DIR) / norvik::kGdpduDtdName;
    std::error_code ec;
    if (fs::is_regular_file(published, ec)) {
        nf::WriteFile(medium / norvik::kGdpduDtdName, nf::ReadFile(published));
        options.publishedDtd = published;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    nf::WriteFile(medium / norvik::kIndexFileName, input.substr(0, split));
    nf::WriteFile(medium / "daten.txt",
                  split == std::string_view::npos ? std::string_view() : input.substr(split + 1));

    const std::vector<norvik::MediumFinding> findings = norvik::CheckMedium(medium, options);
    for (const norvik::MediumFinding& finding : findings) {
        try {
            if (norvik::KindOf(finding.code).severity != finding.severity)
                nf::Fail("finding " + finding.code + " has another severity than its kind");
        } catch (const std::out_of_range&) {
            nf::Fail("finding of unknown code " + finding.code);
        }
        if (norvik::FindingLine(finding).empty()) nf::Fail("finding without a line");
    }
    norvik::SummaryLine(findings);
    return 0;
}
