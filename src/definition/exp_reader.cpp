#include "definition/exp_reader.h"

#include <fmt/format.h>

#include <array>
#include <optional>
#include <unordered_map>
#include <utility>

#include "common/ascii.h"
#include "common/data_path.h"
#include "common/file_io.h"
#include "common/profile_file.h"
#include "common/text_codec.h"
#include "common/text_helpers.h"
#include "common/vb_error.h"
#include "definition/exp_fields.h"
#include "definition/general_values.h"
#include "definition/run_values.h"
#include "definition/yes_no_keys.h"

namespace norvik {
namespace {

// Host information lookups and the column each delivers.
constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kLookupColumns = {{
    {"Kundenauskunft", "Kundennummer"},
    {"Artikelauskunft", "Artikelnummer"},
    {"Rechnungsauskunft", "Belegnummer"},
    {"Lieferscheinauskunft", "Belegnummer"},
    {"Angebotsauskunft", "Belegnummer"},
    {"Auftragsauskunft", "Belegnummer"},
    {"Bestellauskunft", "Belegnummer"},
    {"Gutschriftsauskunft", "Belegnummer"},
    {"Interessentenstamm", "HiddenIndex"},
    {"Kreditinstitutauskunft", "Bankleitzahl"},
    {"Lieferantenauskunft", "Lieferantennummer"},
    {"Personalauskunft", "PersonalNr"},
    {"Vertragsgegenstandsauskunft", "VertrGegenstandsNr"},
}};

std::string ColumnPart(const std::string& controlSource) {
    const size_t dot = controlSource.find('.');
    return dot == std::string::npos ? controlSource : controlSource.substr(dot + 1);
}

void ReadGeneral(const ProfileFile& profile, TQExportDef& def, DefinitionHost& host) {
    // The table puts the name before the output file, whose remembered value is kept by the name.
    for (const GeneralValue& g : GeneralValues()) {
        std::string value = profile.Read("Allgemein", g.key, g.fallback);
        if (g.kind == GeneralKind::kName && value.empty()) {
            value = profile.Read("Allgemein", "Schnittstelle", "");
        } else if (g.kind == GeneralKind::kOutputFile) {
            const std::string remembered =
                def.Schnittstelle.empty() ? "" : host.RememberedOutputFile(def.Schnittstelle);
            value = !remembered.empty() ? remembered : ReplaceDataPath(value, host.DataPath());
        }
        def.*g.member = std::move(value);
    }
}

void ReadSelections(const ProfileFile& profile, TQExportDef& def) {
    for (int i = 1; i <= 12; ++i) {
        const std::string key = fmt::format("Sel{:02}", i);
        // Taken as written: dropping the enclosing quotes would break a line whose last field is
        // "".
        std::string value = profile.FindRaw("Selektion", key).value_or("");
        if (value.empty()) continue;
        // A hand-written line with neither end quoted is one field.
        if (value.front() != '"' && value.back() != '"') value = "\"" + value + "\"";
        const std::vector<std::string> fields = SplitExpFields(value, ';');
        auto sel = std::make_shared<TQSelection>();
        sel->Name = key;
        sel->Caption = ExpField(fields, 1);
        sel->ControlSource = ExpField(fields, 2);
        sel->Typ = RoundToLong(ToNumber(Value(ExpField(fields, 3))));
        sel->Width = RoundToLong(ToNumber(Value(ExpField(fields, 4))));
        sel->RowSource = ExpField(fields, 5);
        sel->DefaultValue = ExpField(fields, 6);
        sel->BoundField = ExpField(fields, 7);
        if (sel->BoundField.empty()) sel->BoundField = DeriveBoundField(*sel);
        def.AddSel(sel);
    }
}

// Section lines switch the [Parameter] section on and off; both passes over the lines use this, so
// that a line is either a parameter or a record line, never both.
class ParameterSection {
  public:
    // Takes a line; true when it is a key line of the [Parameter] section.
    bool IsParameterLine(std::string_view raw) {
        if (!raw.empty() && raw.front() == '[') {
            inside_ = StartsWithIgnoreCase(raw, "[PARAMETER]");
            return false;
        }
        return inside_ && raw.find('=') != std::string_view::npos;
    }

  private:
    bool inside_ = false;
};

void ReadParameters(std::string_view bytes, TQExportDef& def, DefinitionHost& host) {
    ParameterSection section;
    // The stored values of the whole section at once: one query, not one per parameter.
    std::optional<std::unordered_map<std::string, std::string>> stored;
    ForEachLine(bytes, [&](std::string_view raw) {
        if (!section.IsParameterLine(raw)) return;
        const size_t eq = raw.find('=');
        auto param = std::make_shared<TQParam>();
        param->Name = Cp1252ToUtf8(raw.substr(0, eq));
        std::vector<std::string> fields = SplitExpFields(Cp1252ToUtf8(raw.substr(eq + 1)), ',');
        fields.resize(2);
        param->Caption = fields[0].empty() ? param->Name : std::move(fields[0]);
        if (!stored) stored = host.StoredParameters(def.Abschnitt);
        const auto it = stored->empty() ? stored->end() : stored->find(LowerCase(param->Name));
        param->Value =
            it != stored->end() && !it->second.empty() ? it->second : std::move(fields[1]);
        if (!def.AddParam(std::move(param))) host.ShowRefusal(kAddFailedMessage);
    });
}

void ReadRecords(std::string_view bytes, TQExportDef& def) {
    auto current = std::make_shared<TQRecord>();
    bool noSectionYet = true;
    ParameterSection section;
    const bool numberedHeaders = FlagsOf(def).allHeaderRecords;
    int lineNumber = 0;
    ForEachLine(bytes, [&](std::string_view raw) {
        ++lineNumber;
        // A parameter named "Param1" or "Criteria" is no field line and no criterion.
        if (section.IsParameterLine(raw)) return;
        if (IsRecordSection(raw, numberedHeaders)) {
            if (!noSectionYet) {
                def.AddRecord(current);
                current = std::make_shared<TQRecord>();
            }
            current->Name = Cp1252ToUtf8(raw);
            current->FieldTyp = RecordKindFromSection(current->Name, numberedHeaders);
            noSectionYet = false;
            return;
        }
        if (StartsWithIgnoreCase(raw, "CRITERIA")) {
            const std::string rest = Cp1252ToUtf8(raw.substr(8));
            const std::vector<std::string> fields = SplitExpFields(TrimBlanks(rest), ',');
            current->CriteriaField = ExpField(fields, 1);
            current->CriteriaOperator = ExpField(fields, 2);
            current->CriteriaValue = ExpField(fields, 3);
            return;
        }
        const bool runValue = StartsWithIgnoreCase(raw, "LAUFWERT");
        const char* kind = StartsWithIgnoreCase(raw, "FIELD")   ? "Field"
                           : StartsWithIgnoreCase(raw, "CONST") ? "Const"
                           : StartsWithIgnoreCase(raw, "PARAM") ? "Param"
                           : runValue                           ? "Laufwert"
                                                                : nullptr;
        if (!kind) return;
        const std::string rest = Cp1252ToUtf8(raw.substr(runValue ? 8 : 5));
        const std::vector<std::string> fields = SplitExpFields(TrimBlanks(rest), ',');
        auto field = std::make_shared<TQField>();
        field->FeldArt = kind;
        field->Name = ExpField(fields, 1);
        field->FeldTyp = ExpField(fields, 2);
        field->Format = ExpField(fields, 3);
        field->Länge = RoundToLong(Val(ExpField(fields, 4)));
        field->Schlüssel = UpperCase(ExpField(fields, 5));
        field->FremdSchlüssel = ExpField(fields, 6);
        field->Map = ExpField(fields, 7);
        field->Info = ExpField(fields, 8);
        // A misspelt name would write an empty field into every file; it is refused at once.
        if (runValue && !RunValueNamed(field->Name))
            throw VbError(kErrInvalidArgument,
                          fmt::format("Zeile {}: unbekannter Laufwert \"{}\"; bekannt sind {}.",
                                      lineNumber, field->Name, RunValueNames()));
        current->AddField(field);
    });
    def.AddRecord(current);
}

}  // namespace

namespace {

// "[VORLAUFSATZ2]", "[VORLAUFSATZ10]…": a further header record of a definition that writes them
// all.
bool IsNumberedHeader(std::string_view line) {
    constexpr std::string_view kStart = "[VORLAUFSATZ";
    if (!StartsWithIgnoreCase(line, kStart)) return false;
    size_t i = kStart.size();
    const size_t digits = i;
    while (i < line.size() && IsAsciiDigit(line[i])) ++i;
    return i > digits && i < line.size() && line[i] == ']';
}

}  // namespace

tqFieldTyp RecordKindFromSection(std::string_view sectionLine, bool numberedHeaders) {
    if (StartsWithIgnoreCase(sectionLine, "[VORLAUFSATZ]")) return Vorlauf;
    if (numberedHeaders && IsNumberedHeader(sectionLine)) return Vorlauf;
    if (StartsWithIgnoreCase(sectionLine, "[NACHLAUFSATZ]")) return Nachlauf;
    return Standard;
}

bool IsRecordSection(std::string_view line, bool numberedHeaders) {
    if (line.empty() || line.front() != '[' || line.back() != ']') return false;
    return StartsWithIgnoreCase(line, "[DATENSATZ") ||
           (numberedHeaders && IsNumberedHeader(line)) ||
           StartsWithIgnoreCase(line, "[VORLAUFSATZ]") ||
           StartsWithIgnoreCase(line, "[NACHLAUFSATZ]");
}

std::string DeriveBoundField(const TQSelection& selection) {
    std::string bound;
    if (selection.Typ & 64) {
        bound = ColumnPart(selection.ControlSource);
        for (const auto& [rowSource, column] : kLookupColumns)
            if (selection.RowSource == rowSource) bound = column;
    }
    if (selection.Typ & 128) bound = ColumnPart(selection.ControlSource);
    return bound;
}

void ReadExportDefinition(const std::string& fileName, TQExportDef& def, DefinitionHost& host) {
    // One read serves every step; a file that cannot be read fails at the line-by-line steps.
    std::string bytes;
    std::optional<VbError> readError;
    try {
        bytes = AsCp1252File(ReadFileBytes(fileName.empty() ? std::string_view("\\") : fileName,
                                           kMaxDefinitionBytes + 1),
                             def.Utf8Datei);
        if (bytes.size() > kMaxDefinitionBytes)
            readError = VbError(kErrPathFileAccess,
                                "Die Datei ist zu groß für eine Exportdefinition: " + fileName);
    } catch (const VbError& e) {
        readError = fileName.empty() ? VbError(kErrBadFileName) : e;
    }
    // The [Parameter] section, which may be large, is read line by line below.
    const ProfileFile profile =
        readError ? ProfileFile() : ProfileFile::ParseSections(bytes, {"allgemein", "selektion"});

    ReadGeneral(profile, def, host);
    ReadSelections(profile, def);
    if (def.Abschnitt.empty()) def.Abschnitt = "Export_" + BaseName(fileName);

    if (readError) throw *readError;
    ReadParameters(bytes, def, host);
    ReadRecords(bytes, def);
}

}  // namespace norvik
