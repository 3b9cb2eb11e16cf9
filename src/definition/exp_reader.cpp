#include "definition/exp_reader.h"

#include <array>
#include <cstdio>
#include <utility>

#include "common/file_io.h"
#include "common/profile_file.h"
#include "common/text_codec.h"
#include "common/text_helpers.h"
#include "common/vb_error.h"
#include "host/module_state.h"
#include "host/user_settings.h"

namespace norvik {
namespace {

constexpr std::string_view kQuote = "\"";

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

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (c != prefix[i]) return false;
    }
    return true;
}

void ReadGeneral(const ProfileFile& profile, TQExportDef& def) {
    auto read = [&](std::string_view key, std::string_view fallback) {
        return profile.Read("Allgemein", key, fallback);
    };
    def.Schnittstelle = read("Name", "");
    if (def.Schnittstelle.empty()) def.Schnittstelle = read("Schnittstelle", "");
    def.Datenquelle = read("Datenquelle", "");
    const std::string dateiname = read("Dateiname", "");

    const std::string remembered =
        def.Schnittstelle.empty() ? "" : GetSetting("TQBExport", "Schnittstelle", def.Schnittstelle, "");
    def.Dateiname = !remembered.empty() ? remembered
                                        : ReplaceText(dateiname, "%DataPath%", gCommonUserDataFolder);

    def.Dateiformat = read("Dateiformat", "ANSI");
    def.FeldLänge = read("Feldlänge", "Variabel");
    def.Feldtrenner = read("Feldtrenner", ";");
    def.Texterkenner = read("Texterkenner", "\"");
    def.Dezimaltrenner = read("Dezimaltrenner", ",");
    def.Datumserkenner = read("Datumserkenner", "#");
    def.Datumstrenner = read("Datumstrenner", ".");
    def.Zeittrenner = read("Zeittrenner", ":");
    def.Ersatzzeichen = read("Ersatzzeichen", "'");
    def.Anfügen = read("Anfuegen", "N");
    def.Info = read("Info", "");
    def.Kopfzeile = read("Kopfzeile", "0");
    def.AnfuegenAenderbar = read("AnfuegenAenderbar", "N");
    def.AllowEmptySelection = read("AllowEmptySelection", "Y");
    def.Abschnitt = read("Abschnitt", "");
}

void ReadSelections(const ProfileFile& profile, TQExportDef& def) {
    for (int i = 1; i <= 12; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "Sel%02d", i);
        // Taken as written: dropping the enclosing quotes would break a line whose last field is "".
        std::string value = profile.FindRaw("Selektion", key).value_or("");
        if (value.empty()) continue;
        // A hand-written line with neither end quoted is one field.
        if (value.front() != '"' && value.back() != '"') value = "\"" + value + "\"";
        auto sel = std::make_shared<TQSelection>();
        sel->Name = key;
        sel->Caption = GetField(1, value, ";", kQuote);
        sel->ControlSource = GetField(2, value, ";", kQuote);
        sel->Typ = RoundToLong(ToNumber(Value(GetField(3, value, ";", kQuote))));
        sel->Width = RoundToLong(ToNumber(Value(GetField(4, value, ";", kQuote))));
        sel->RowSource = GetField(5, value, ";", kQuote);
        sel->DefaultValue = GetField(6, value, ";", kQuote);
        sel->BoundField = GetField(7, value, ";", kQuote);
        if (sel->BoundField.empty()) sel->BoundField = DeriveBoundField(*sel);
        def.AddSel(sel);
    }
}

void ReadParameters(std::string_view bytes, TQExportDef& def) {
    bool inParameters = false;
    ForEachLine(bytes, [&](std::string_view raw) {
        if (!raw.empty() && raw.front() == '[') {
            inParameters = StartsWithIgnoreCase(raw, "[PARAMETER]");
            return;
        }
        const size_t eq = raw.find('=');
        if (!inParameters || eq == std::string_view::npos) return;
        const std::string line = Cp1252ToUtf8(raw);
        auto param = std::make_shared<TQParam>();
        param->Name = line.substr(0, line.find('='));
        const std::string rest = line.substr(line.find('=') + 1);
        param->Caption = GetField(1, rest, ",", kQuote);
        if (param->Caption.empty()) param->Caption = param->Name;
        if (!gHostSettings) throw VbError(kErrObjectNotSet);
        const std::string stored = gHostSettings->ReadValue(def.Abschnitt, param->Name, "Standard", "");
        param->Value = !stored.empty() ? stored : GetField(2, rest, ",", kQuote);
        def.AddParam(param);
    });
}

void ReadRecords(std::string_view bytes, TQExportDef& def) {
    auto current = std::make_shared<TQRecord>();
    bool noSectionYet = true;
    ForEachLine(bytes, [&](std::string_view raw) {
        if (IsRecordSection(raw)) {
            if (!noSectionYet) {
                def.AddRecord(current);
                current = std::make_shared<TQRecord>();
            }
            current->Name = Cp1252ToUtf8(raw);
            current->FieldTyp = RecordKindFromSection(current->Name);
            noSectionYet = false;
            return;
        }
        if (StartsWithIgnoreCase(raw, "CRITERIA")) {
            const std::string rest(TrimBlanks(Cp1252ToUtf8(raw.substr(8))));
            current->CriteriaField = GetField(1, rest, ",", kQuote);
            current->CriteriaOperator = GetField(2, rest, ",", kQuote);
            current->CriteriaValue = GetField(3, rest, ",", kQuote);
            return;
        }
        const char* kind = StartsWithIgnoreCase(raw, "FIELD")   ? "Field"
                           : StartsWithIgnoreCase(raw, "CONST") ? "Const"
                           : StartsWithIgnoreCase(raw, "PARAM") ? "Param"
                                                                : nullptr;
        if (!kind) return;
        const std::string rest(TrimBlanks(Cp1252ToUtf8(raw.substr(5))));
        auto field = std::make_shared<TQField>();
        field->FeldArt = kind;
        field->Name = GetField(1, rest, ",", kQuote);
        field->FeldTyp = GetField(2, rest, ",", kQuote);
        field->Format = GetField(3, rest, ",", kQuote);
        field->Länge = RoundToLong(Val(GetField(4, rest, ",", kQuote)));
        field->Schlüssel = UpperCase(GetField(5, rest, ",", kQuote));
        field->FremdSchlüssel = GetField(6, rest, ",", kQuote);
        field->Map = GetField(7, rest, ",", kQuote);
        field->Info = GetField(8, rest, ",", kQuote);
        current->AddField(field);
    });
    def.AddRecord(current);
}

}  // namespace

tqFieldTyp RecordKindFromSection(std::string_view sectionLine) {
    if (StartsWithIgnoreCase(sectionLine, "[VORLAUFSATZ]")) return Vorlauf;
    if (StartsWithIgnoreCase(sectionLine, "[NACHLAUFSATZ]")) return Nachlauf;
    return Standard;
}

bool IsRecordSection(std::string_view line) {
    if (line.empty() || line.front() != '[' || line.back() != ']') return false;
    return StartsWithIgnoreCase(line, "[DATENSATZ") || StartsWithIgnoreCase(line, "[VORLAUFSATZ]") ||
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

void ReadExportDefinition(const std::string& fileName, TQExportDef& def) {
    // One read serves every step; a file that cannot be read fails at the line-by-line steps.
    std::string bytes;
    std::optional<VbError> readError;
    try {
        bytes = ReadFileBytes(fileName.empty() ? std::string_view("\\") : fileName, kMaxDefinitionBytes + 1);
        if (bytes.size() > kMaxDefinitionBytes)
            readError = VbError(kErrPathFileAccess, "Die Datei ist zu groß für eine Exportdefinition: " + fileName);
    } catch (const VbError& e) {
        readError = fileName.empty() ? VbError(kErrBadFileName) : e;
    }
    const ProfileFile profile = readError ? ProfileFile() : ProfileFile::Parse(bytes);

    ReadGeneral(profile, def);
    ReadSelections(profile, def);
    if (def.Abschnitt.empty()) def.Abschnitt = "Export_" + BaseName(fileName);

    if (readError) throw *readError;
    ReadParameters(bytes, def);
    ReadRecords(bytes, def);
}

}  // namespace norvik
