#include "standalone/definition_text.h"

#include <sstream>

#include "definition/general_values.h"

namespace norvik::standalone {
namespace {

const char* KindName(tqFieldTyp kind) {
    switch (kind) {
        case Vorlauf:
            return "Vorlauf";
        case Nachlauf:
            return "Nachlauf";
        default:
            return "Standard";
    }
}

std::string Q(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

std::string DescribeDefinition(const TQExportDef& def) {
    std::ostringstream o;
    o << "[Allgemein]\n";
    for (const GeneralValue& g : GeneralValues())
        o << "  " << g.shownAs << " = " << Q(def.*g.member) << '\n';

    o << "\n[Parameter] " << def.Parameter->Count() << '\n';
    for (const auto& p : *def.Parameter)
        o << "  " << Q(p->Name) << "  Caption " << Q(p->Caption) << "  Wert " << Q(p->Value)
          << '\n';

    o << "\n[Selektion] " << def.Selections->Count() << '\n';
    for (const auto& s : *def.Selections) {
        o << "  " << s->Name << "  Caption " << Q(s->Caption) << "  ControlSource "
          << Q(s->ControlSource) << "  Typ " << s->Typ << "  Width " << s->Width << "  RowSource "
          << Q(s->RowSource) << "  DefaultValue " << Q(s->DefaultValue) << "  BoundField "
          << Q(s->BoundField) << '\n';
    }

    o << "\nSatzarten " << def.Records->Count() << '\n';
    int r = 0;
    for (const auto& rec : *def.Records) {
        o << "  " << ++r << ". " << (rec->Name.empty() ? "(ohne Abschnitt)" : rec->Name) << "  "
          << KindName(rec->FieldTyp);
        if (!rec->CriteriaField.empty())
            o << "  Kriterium " << rec->CriteriaField << ' ' << rec->CriteriaOperator << ' '
              << Q(rec->CriteriaValue);
        o << '\n';
        int f = 0;
        for (const auto& field : *rec->Fields) {
            o << "     " << ++f << ". " << field->FeldArt << ' ' << Q(field->Name) << "  Typ "
              << Q(field->FeldTyp) << "  Format " << Q(field->Format) << "  Länge " << field->Länge;
            if (!field->Schlüssel.empty()) o << "  Schlüssel " << field->Schlüssel;
            if (!field->FremdSchlüssel.empty())
                o << "  FremdSchlüssel " << Q(field->FremdSchlüssel);
            if (!field->Map.empty()) o << "  Map " << Q(field->Map);
            if (!field->Info.empty()) o << "  Info " << Q(field->Info);
            o << '\n';
        }
    }
    return o.str();
}

}  // namespace norvik::standalone
