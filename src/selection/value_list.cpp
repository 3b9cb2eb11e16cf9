#include "selection/value_list.h"

#include "common/vb_convert.h"
#include "common/vb_error.h"

namespace norvik {

std::string ValueListSql(const Criterion& criterion, const HostServices& services) {
    if (criterion.ListKind == kListRowSource) return criterion.RowSource;
    if (criterion.ListKind != kListHostLookup) return {};
    std::string name = criterion.RowSource;
    if (name.rfind(kHostLookupPrefix, 0) == 0) name.erase(0, std::string(kHostLookupPrefix).size());
    std::string sql = services.InformationLookupSql(name);
    if (sql.empty())
        throw VbError(kErrInvalidArgument, "Auswahl \"" + criterion.DisplayName() +
                                               "\": Die Auskunft \"" + name +
                                               "\" ist nicht eingerichtet.");
    return sql;
}

ValueList ReadValueList(db::Connection& connection, const std::string& sql,
                        const std::string& boundField, size_t maxRows) {
    ValueList list;
    const auto rows = connection.OpenRecordSet(sql, {}, db::RowCount::Uncounted);
    const int bound = boundField.empty() ? 0 : rows->FindField(boundField);
    if (bound < 0) throw VbError(kErrUnknownColumn);
    for (; !rows->Eof(); rows->MoveNext()) {
        if (list.rows.size() == maxRows) {
            list.truncated = true;
            break;
        }
        ValueListRow row;
        row.value = ToText(rows->Item(bound));
        for (int i = 0; i < rows->FieldCount(); ++i) {
            if (i == bound) continue;
            if (!row.display.empty()) row.display += " - ";
            row.display += ToText(rows->Item(i));
        }
        if (row.display.empty()) row.display = row.value;
        list.rows.push_back(std::move(row));
    }
    rows->Close();
    return list;
}

}  // namespace norvik
