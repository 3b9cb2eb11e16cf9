#include "definition/exp_writer.h"

#include <ctime>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/vb_convert.h"

namespace norvik {
namespace {

constexpr size_t kBoxWidth = 75;

// A line break inside a value would start a new line of the file and could forge keys or fields.
std::string OneLine(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string BoxLine(std::string_view text) {
    std::string line = ";* " + OneLine(text);
    const size_t chars = CharCount(line);
    // A text too long for the box keeps all its characters; only the padding is left out.
    if (chars < kBoxWidth) line.append(kBoxWidth - chars, ' ');
    return line + "*";
}

std::string Quoted(std::string_view text) { return "\"" + OneLine(text) + "\""; }

std::string SelectionNumber(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

}  // namespace

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    DateTime today;
    today.year = local.tm_year + 1900;
    today.month = local.tm_mon + 1;
    today.day = local.tm_mday;
    return DateTimeToText(today);
}

std::vector<std::string> ExportDefinitionLines(TQExportDef& def, const std::string& autor,
                                               const std::string& today) {
    std::vector<std::string> lines;
    const std::string rule = ";" + std::string(kBoxWidth, '*');
    const std::string blank = ";*" + std::string(kBoxWidth - 2, ' ') + "*";
    lines = {rule,
             BoxLine(def.Schnittstelle),
             blank,
             BoxLine("Datei: " + def.Dateiname),
             blank,
             BoxLine("Autor: " + autor),
             blank,
             BoxLine("Stand: " + today),
             rule,
             "",
             "[Allgemein]"};
    const std::pair<const char*, const std::string*> general[] = {
        {"Name=", &def.Schnittstelle},
        {"Datenquelle=", &def.Datenquelle},
        {"Dateiname=", &def.Dateiname},
        {"Info=", &def.Info},
        {"Dateiformat=", &def.Dateiformat},
        {"FeldLänge=", &def.FeldLänge},
        {"Feldtrenner=", &def.Feldtrenner},
        {"Texterkenner=", &def.Texterkenner},
        {"Dezimaltrenner=", &def.Dezimaltrenner},
        {"Datumserkenner=", &def.Datumserkenner},
        {"Datumstrenner=", &def.Datumstrenner},
        {"Zeittrenner=", &def.Zeittrenner},
        {"Ersatzzeichen=", &def.Ersatzzeichen},
        {"Kopfzeile=", &def.Kopfzeile},
        {"Anfuegen=", &def.Anfügen},
        {"AnfuegenAenderbar=", &def.AnfuegenAenderbar},
        {"AllowEmptySelection=", &def.AllowEmptySelection},
    };
    for (const auto& [key, value] : general) lines.push_back(key + OneLine(*value));

    lines.push_back("");
    lines.push_back("[Parameter]");
    for (const auto& p : *def.Parameter)
        lines.push_back(OneLine(p->Name) + "=" + Quoted(p->Caption) + "," + Quoted(p->Value));

    lines.push_back("");
    lines.push_back("[Selektion]");
    int n = 0;
    for (const auto& s : *def.Selections) {
        lines.push_back("Sel" + SelectionNumber(++n) + "=" + Quoted(s->Caption) + ";" +
                        Quoted(s->ControlSource) + ";" + std::to_string(s->Typ) + ";" +
                        std::to_string(s->Width) + ";" + Quoted(s->RowSource) + ";" +
                        Quoted(s->DefaultValue) + ";" + Quoted(s->BoundField));
    }

    for (const auto& r : *def.Records) {
        lines.push_back("");
        lines.push_back(OneLine(r->Name));
        if (!r->CriteriaField.empty())
            lines.push_back("CRITERIA " + Quoted(r->CriteriaField) + "," + Quoted(r->CriteriaOperator) +
                            "," + Quoted(r->CriteriaValue));
        for (const auto& f : *r->Fields) {
            const std::string format = f->Format.empty() ? "" : Quoted(f->Format);
            if (UpperCase(f->FeldArt) == "CONST" && f->Name.empty()) f->Name = "\"\"";
            lines.push_back(OneLine(UpperCase(f->FeldArt)) + " " + OneLine(f->Name) + "," +
                            OneLine(f->FeldTyp) + "," + format + "," + std::to_string(f->Länge) + "," +
                            OneLine(f->Schlüssel) + "," + OneLine(f->FremdSchlüssel) + "," +
                            OneLine(f->Map) + "," + OneLine(f->Info));
        }
    }
    return lines;
}

void WriteExportDefinition(TQExportDef& def, const std::string& fileName, const std::string& autor,
                           const std::function<void(const VbError&)>& onError) {
    TextFileWriter out;
    try {
        out.Open(fileName, false);
    } catch (const VbError& e) {
        onError(e);
    }
    const std::vector<std::string> lines = ExportDefinitionLines(def, autor, TodayText());
    if (!out.IsOpen()) {
        // Without an open file every following write step fails on its own, as it always did.
        for (int step = 0; step < 5; ++step) onError(VbError(kErrBadFileName));
        return;
    }
    try {
        for (const std::string& line : lines) out.WriteLine(line);
        out.Close();
    } catch (const VbError& e) {
        out.Abandon();
        onError(e);
    }
}

}  // namespace norvik
