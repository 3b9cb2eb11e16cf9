#include "definition/exp_writer.h"

#include <fmt/format.h>

#include "common/ascii.h"
#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/vb_convert.h"
#include "definition/exp_fields.h"
#include "definition/general_values.h"

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

std::string Quoted(std::string_view text) {
    return QuotedExpField(OneLine(text));
}

// A field of a field line (separated by ","), bare where that reads back the same.
std::string Field(std::string_view text) {
    return ExpFieldText(OneLine(text), ',');
}

// The number of a selection's own key "Sel01" … "Sel12", or 0.
int OwnSelectionNumber(const std::string& name) {
    if (name.size() != 5 || name.compare(0, 3, "Sel") != 0) return 0;
    if (!IsAsciiDigit(name[3]) || !IsAsciiDigit(name[4])) return 0;
    const int n = (name[3] - '0') * 10 + (name[4] - '0');
    return n <= 12 ? n : 0;
}

}  // namespace

std::vector<std::string> ExportDefinitionLines(const TQExportDef& def, const std::string& autor,
                                               const std::string& today) {
    std::vector<std::string> lines;
    const std::string rule = ";" + std::string(kBoxWidth, '*');
    const std::string blank = ";*" + std::string(kBoxWidth - 2, ' ') + "*";
    lines = {rule,         BoxLine(def.Schnittstelle),
             blank,        BoxLine("Datei: " + def.Dateiname),
             blank,        BoxLine("Autor: " + autor),
             blank,        BoxLine("Stand: " + today),
             rule,         "",
             "[Allgemein]"};
    for (const GeneralValue* g : GeneralValuesInFileOrder()) {
        // A definition that does not use a newer key is written as it always was.
        const std::string& value = def.*g->member;
        if (g->onlyWhenSet && (value.empty() || value == g->fallback)) continue;
        lines.push_back(fmt::format("{}={}", g->key, ProfileValueText(OneLine(value))));
    }

    lines.push_back("");
    lines.push_back("[Parameter]");
    for (const auto& p : *def.Parameter)
        lines.push_back(
            fmt::format("{}={},{}", OneLine(p->Name), Quoted(p->Caption), Quoted(p->Value)));

    lines.push_back("");
    lines.push_back("[Selektion]");
    int n = 0;
    for (const auto& s : *def.Selections) {
        // A selection keeps its key (its place among the twelve) while the order allows it.
        const int own = OwnSelectionNumber(s->Name);
        n = own > n ? own : n + 1;
        lines.push_back(fmt::format("Sel{:02}={};{};{};{};{};{};{}", n, Quoted(s->Caption),
                                    Quoted(s->ControlSource), s->Typ, s->Width,
                                    Quoted(s->RowSource), Quoted(s->DefaultValue),
                                    Quoted(s->BoundField)));
    }

    for (const auto& r : *def.Records) {
        lines.push_back("");
        lines.push_back(OneLine(r->Name));
        // An operator or value without a field has no effect, but is kept all the same.
        if (!r->CriteriaField.empty() || !r->CriteriaOperator.empty() || !r->CriteriaValue.empty())
            lines.push_back(fmt::format("CRITERIA {},{},{}", Quoted(r->CriteriaField),
                                        Quoted(r->CriteriaOperator), Quoted(r->CriteriaValue)));
        for (const auto& f : *r->Fields) {
            const std::string kind = OneLine(UpperCase(f->FeldArt));
            // An empty constant is marked in the file only: a bare empty name would be the same
            // when read, but the mark is what the files always had.
            const std::string name =
                kind == "CONST" && f->Name.empty() ? Quoted("") : Field(f->Name);
            const std::string format = f->Format.empty() ? "" : Quoted(f->Format);
            lines.push_back(fmt::format("{} {},{},{},{},{},{},{},{}", kind, name, Field(f->FeldTyp),
                                        format, f->Länge, Field(f->Schlüssel),
                                        Field(f->FremdSchlüssel), Field(f->Map), Field(f->Info)));
        }
    }
    return lines;
}

void WriteExportDefinition(const TQExportDef& def, const std::string& fileName,
                           const std::string& autor,
                           const std::function<void(const VbError&)>& onError) {
    TextFileWriter out;
    try {
        out.Open(fileName, false);
        out.SetUtf8(def.Utf8Datei);
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
