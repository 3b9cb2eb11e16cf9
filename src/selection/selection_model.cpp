#include "selection/selection_model.h"

#include "common/text_codec.h"
#include "common/vb_error.h"
#include "selection/criterion_condition.h"
#include "selection/sql_dialect.h"

namespace norvik {
namespace {

const HostSession& SessionOrRaise(const std::shared_ptr<HostSession>& session) {
    if (!session) throw VbError(kErrObjectNotSet);
    return *session;
}

}  // namespace

void SelectionModel::ShowCriteria() {
    if (criteriaShown) criteriaShown();
}

std::string SelectionModel::Condition() const {
    std::shared_ptr<const SqlDialect> dialect;
    std::string condition;
    for (const auto& criterion : Criteria) {
        if (TrimWhite(criterion->Entry).empty()) continue;
        // Only entries need the back end, so a selection left empty works without a session.
        if (!dialect) dialect = DialectFor(SessionOrRaise(session_).Connection()->Dialect());
        if (!condition.empty()) condition += " AND ";
        condition += CriterionCondition(*criterion, *dialect);
    }
    return condition;
}

void SelectionModel::SetEntry(const std::string& name, const std::string& entry) {
    Criterion* criterion = Criteria.Find(name);
    if (!criterion)
        throw VbError(kErrInvalidArgument, "Unbekanntes Selektionskriterium \"" + name + "\".");
    criterion->Entry = entry;
}

ValueList SelectionModel::ValuesOf(const std::string& key, size_t maxRows) const {
    const Criterion& criterion = Criteria.Item(key);
    const std::string sql = ValueListSql(criterion, services_);
    if (sql.empty()) return {};
    return ReadValueList(*SessionOrRaise(session_).Connection(), sql, criterion.BoundField,
                         maxRows);
}

}  // namespace norvik
