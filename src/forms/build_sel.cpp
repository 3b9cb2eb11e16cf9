#include "forms/build_sel.h"

#include "selection/value_list.h"

namespace norvik {

int32_t ValueKindOfTyp(int32_t typ) {
    if (typ & 2) return kValueDate;
    if (typ & 4) return kValueNumber;
    return kValueText;
}

int32_t ListKindOfTyp(int32_t typ) {
    if (typ & 64) return kListHostLookup;
    if (typ & 128) return kListRowSource;
    return kListFree;
}

void BuildSelection(const TQExportDef& def, std::shared_ptr<HostSession> session,
                    SelectionModel& selection) {
    selection.SetSession(std::move(session));
    selection.ClearCriteria();
    for (const auto& s : *def.Selections) {
        selection.Criteria.Add(s->ControlSource);
        Criterion& c = selection.Criteria.Item(s->ControlSource);
        c.Label = s->Caption;
        c.ValueKind = ValueKindOfTyp(s->Typ);
        c.ListKind = ListKindOfTyp(s->Typ);
        c.RowSource =
            c.ListKind == kListHostLookup ? kHostLookupPrefix + s->RowSource : s->RowSource;
        c.Caption = s->Caption;
        c.BoundField = s->BoundField;
    }
    selection.ShowCriteria();
}

}  // namespace norvik
