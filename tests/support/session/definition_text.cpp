#include "support/session/definition_text.h"

#include <initializer_list>
#include <utility>

namespace norvik::test {
namespace {

// The values joined by "|", line breaks inside them written as "\r" and "\n".
std::string Joined(std::initializer_list<std::string> values) {
    std::string line;
    bool first = true;
    for (const std::string& v : values) {
        if (!std::exchange(first, false)) line += "|";
        for (const char c : v) line += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    }
    return line + "\n";
}

}  // namespace

std::string DescribeDefinition(const TQExportDef& d) {
    std::string text =
        "Allgemein: " +
        Joined({d.Schnittstelle, d.Datenquelle, d.Dateiname, d.Info, d.Dateiformat, d.FeldLänge,
                d.Feldtrenner, d.Texterkenner, d.Dezimaltrenner, d.Datumserkenner, d.Datumstrenner,
                d.Zeittrenner, d.Ersatzzeichen, d.Kopfzeile, d.Anfügen, d.AnfuegenAenderbar,
                d.AllowEmptySelection, d.Abschnitt});
    for (const auto& p : *d.Parameter)
        text += "Parameter: " + Joined({p->Name, p->Caption, p->Value});
    for (const auto& s : *d.Selections)
        text += "Selektion: " +
                Joined({s->Name, s->Caption, s->ControlSource, std::to_string(s->Typ),
                        std::to_string(s->Width), s->RowSource, s->DefaultValue, s->BoundField});
    for (const auto& r : *d.Records) {
        text += "Satz: " + Joined({r->Name, std::to_string(r->FieldTyp), r->CriteriaField,
                                   r->CriteriaOperator, r->CriteriaValue});
        for (const auto& f : *r->Fields)
            text += "  Feld: " +
                    Joined({f->FeldArt, f->Name, f->FeldTyp, f->Format, std::to_string(f->Länge),
                            f->Schlüssel, f->FremdSchlüssel, f->Map, f->Info});
    }
    return text;
}

std::string DescribeMessages(const RecordingHostMessages& messages) {
    std::string text;
    for (const auto& c : messages.calls) {
        const std::string flag = c.flag ? "1" : "0";
        if (c.kind == "ReportError")
            text += "ReportError: " + Joined({c.className + "." + c.operation,
                                              std::to_string(c.number), flag, c.text});
        else if (c.kind == "ShowMessage")
            text += "ShowMessage: " +
                    Joined({std::to_string(c.style), std::to_string(c.buttons), flag, c.text});
        else
            text += c.kind + ": " + Joined({std::to_string(c.style), c.text});
    }
    return text;
}

}  // namespace norvik::test
