#include <filesystem>
#include <ostream>

#include "check/handover_check.h"
#include "check/medium_check.h"
#include "common/file_io.h"
#include "medium/medium_names.h"
#include "medium/published_dtds.h"
#include "standalone/check_json.h"
#include "standalone/cli_context.h"

namespace norvik::standalone {

int CommandCheck(CliContext& ctx, std::vector<std::string> args) {
    const bool json = TakeFlag(args, "--json");
    ExpectArguments(args, 1, 1, "check DIR|ZIP [--json]");
    const std::filesystem::path target = NativePath(args[0]);
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(target, ec);
    if (!folder && !std::filesystem::is_regular_file(target, ec))
        throw UsageError("weder Ordner noch ZIP-Datei: " + ShownPath(args[0]));

    HandoverCheckOptions options;
    options.medium.publishedDtd = FindPublishedDtd(kGdpduDtdName);
    std::string dtd;
    options.medium.dtd = &dtd;
    const std::vector<MediumFinding> findings =
        folder ? CheckMedium(target, options.medium) : CheckHandoverZip(target, options);
    for (const MediumFinding& finding : findings)
        ctx.out << (json ? FindingJson(finding) : FindingLine(finding)) << '\n';
    if (options.medium.publishedDtd.empty()) {
        // A program reading the JSON lines gets nothing else on the output.
        std::ostream& note = json ? ctx.err : ctx.out;
        std::string searched;
        for (const std::filesystem::path& dir : PublishedDtdFolders())
            searched += (searched.empty() ? "" : ", ") + dir.string();
        note << (json ? "norvik-export: " : "") << "Hinweis: die veröffentlichte " << kGdpduDtdName
             << " wurde nicht gefunden (" << searched
             << "); die Kopie auf dem Datenträger wurde nicht mit ihr verglichen.\n";
    }
    ctx.out << (json ? SummaryJson(findings, dtd) : SummaryLine(findings, dtd)) << '\n';
    if (!HasFindings(findings)) return 0;
    return HasErrors(findings) ? 1 : 3;
}

}  // namespace norvik::standalone
