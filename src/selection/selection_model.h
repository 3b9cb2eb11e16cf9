#pragma once
// The selection control without a window: the criteria a definition offers, the user's entries
// and the SQL condition built from them. The dialog's widget and the command line sit on it.

#include <functional>
#include <memory>
#include <string>

#include "host/host_services.h"
#include "host/host_session.h"
#include "selection/criteria.h"
#include "selection/value_list.h"

namespace norvik {

class SelectionModel {
  public:
    // A selection whose host lookups go to the given services.
    explicit SelectionModel(HostServices& services) : services_(services) {}

    bool Enabled = true;     // the user can enter criteria only when true
    CriterionList Criteria;  // the criteria, one row each
    // Called by ShowCriteria, so that a widget builds its rows anew.
    std::function<void()> criteriaShown;
    // Called by ClearCriteria, so that a widget drops the rows of an earlier definition.
    std::function<void()> criteriaCleared;

    // The session whose connection the value lists and the condition's back end come from.
    void SetSession(std::shared_ptr<HostSession> session) { session_ = std::move(session); }
    // Removes every criterion of an earlier definition.
    void ClearCriteria() {
        Criteria.Clear();
        if (criteriaCleared) criteriaCleared();
    }
    // Offers the criteria to the user (tells the widget).
    void ShowCriteria();
    // The entries as an SQL condition, joined by " AND "; empty when nothing is entered. Raises
    // VbError (13 or 5, German text naming the criterion) for an entry that cannot be used, 91
    // when there are entries but no session.
    std::string Condition() const;

    // Sets the entry of the criterion whose Caption (else key) is the name; raises 5 with a German
    // message for an unknown name.
    void SetEntry(const std::string& name, const std::string& entry);
    // The values offered for the criterion of that key (none for free entry), at most maxRows.
    ValueList ValuesOf(const std::string& key, size_t maxRows = kValueListCap) const;

  private:
    HostServices& services_;
    std::shared_ptr<HostSession> session_;
};

}  // namespace norvik
