#pragma once
// The criteria of a selection: what the definition offers per column and what the user entered.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace norvik {

// Kind of the values of a criterion.
enum CriterionValueKind : int32_t { kValueText = 0, kValueDate = 1, kValueNumber = 2 };
// Where the values offered for a criterion come from.
enum CriterionListKind : int32_t { kListFree = 0, kListRowSource = 1, kListHostLookup = 2 };

// One criterion, one row of the selection.
struct Criterion {
    std::string ControlSource;  // the column restricted ("table.column" allowed); the key
    std::string Label;          // text of the row
    int32_t ValueKind = kValueText;
    std::string RowSource;  // SQL of the value list, or "AUSK_" and the host lookup's name
    int32_t ListKind = kListFree;
    std::string Caption;     // name under which the user (or the command line) refers to it
    std::string BoundField;  // column of the value list that delivers the value
    std::string Entry;       // the user's entry: value, "a..b", "a;b;c" or a pattern with * and ?

    // The name used in messages: Label, else Caption, else the column.
    const std::string& DisplayName() const;
};

// The criteria in the order of adding, found by their key (letter case ignored).
class CriterionList {
  public:
    // Adds a criterion for the column; raises 457 when the key is there already.
    Criterion& Add(const std::string& key);
    // The criterion of that key; raises 5 for an unknown key.
    Criterion& Item(const std::string& key) const;
    // The criterion at a 1-based position; raises 9 when out of range.
    Criterion& Item(int32_t index) const;
    // The criterion whose Caption, else whose key, is the name (letter case ignored), or null.
    Criterion* Find(const std::string& name) const;
    // Number of criteria.
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // Removes every criterion.
    void Clear() { items_.clear(); }
    // Iteration in the order of adding.
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    Criterion* FindKey(const std::string& key) const;

    std::vector<std::unique_ptr<Criterion>> items_;
};

}  // namespace norvik
