#include "standalone/check_json.h"

#include <fmt/format.h>

#include "common/utf8.h"

namespace norvik::standalone {
namespace {

std::string JsonOrNull(std::string_view text) {
    return text.empty() ? "null" : JsonString(text);
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            const Utf8Char decoded = DecodeUtf8(text, i);
            if (decoded.malformed)
                out += "\xEF\xBF\xBD";
            else
                out.append(text.substr(i, decoded.length));
            i += decoded.length;
            continue;
        }
        ++i;
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20)
                    out += fmt::format("\\u{:04x}", static_cast<unsigned>(c));
                else
                    out += c;
        }
    }
    return out + '"';
}

std::string FindingJson(const MediumFinding& finding) {
    return fmt::format(
        R"({{"code":{},"severity":"{}","file":{},"line":{},"table":{},"column":{},"count":{},"text":{}}})",
        JsonString(finding.code),
        finding.severity == FindingSeverity::Error     ? "error"
        : finding.severity == FindingSeverity::Warning ? "warning"
                                                       : "note",
        JsonOrNull(finding.file), finding.line == 0 ? "null" : std::to_string(finding.line),
        JsonOrNull(finding.tableName), JsonOrNull(finding.column), finding.count,
        JsonString(finding.text));
}

std::string SummaryJson(const std::vector<MediumFinding>& findings, const std::string& dtd) {
    uint64_t errors = 0, warnings = 0;
    for (const MediumFinding& f : findings) {
        if (f.severity == FindingSeverity::Error) errors += f.count;
        if (f.severity == FindingSeverity::Warning) warnings += f.count;
    }
    return fmt::format(R"({{"errors":{},"warnings":{},"text":{},"dtd":{},"version":{}}})", errors,
                       warnings, JsonString(SummaryLine(findings, dtd)), JsonOrNull(dtd),
                       JsonOrNull(DtdVersion(dtd)));
}

}  // namespace norvik::standalone
