#include <filesystem>
#include <ostream>

#include "common/file_io.h"
#include "gdpdu/medium_check.h"
#include "gdpdu/tq_xml.h"
#include "standalone/check_json.h"
#include "standalone/cli_context.h"
#include "standalone/shared_files.h"

namespace norvik::standalone {

int CommandCheck(CliContext& ctx, std::vector<std::string> args) {
    const bool json = TakeFlag(args, "--json");
    ExpectArguments(args, 1, 1, "check DIR [--json]");
    const std::filesystem::path folder = NativePath(args[0]);
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        throw UsageError("kein Ordner: " + ShownPath(args[0]));

    MediumCheckOptions options;
    options.publishedDtd = FindPublishedDtd();
    const std::vector<MediumFinding> findings = CheckMedium(folder, options);
    for (const MediumFinding& finding : findings)
        ctx.out << (json ? FindingJson(finding) : FindingLine(finding)) << '\n';
    if (options.publishedDtd.empty()) {
        // A program reading the JSON lines gets nothing else on the output.
        std::ostream& note = json ? ctx.err : ctx.out;
        note << (json ? "norvik-export: " : "") << "Hinweis: die veröffentlichte " << kGdpduDtdName
             << " wurde nicht gefunden ($NORVIK_SHARED_DIR/gdpdu/ oder ../shared/gdpdu/); die "
                "Kopie auf dem Datenträger wurde nicht mit ihr verglichen.\n";
    }
    ctx.out << (json ? SummaryJson(findings) : SummaryLine(findings)) << '\n';
    if (findings.empty()) return 0;
    return HasErrors(findings) ? 1 : 3;
}

}  // namespace norvik::standalone
