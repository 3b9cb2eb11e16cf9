#pragma once
// The selection control: one row per criterion with its label and an entry field (a value, a..b,
// a;b;c or a pattern), a calendar for dates and the value list for list criteria. A shell over a
// SelectionModel, which holds the criteria, the entries and builds the condition.

#include <QScrollArea>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "host/host_session.h"
#include "selection/selection_model.h"

class QGridLayout;
class QLineEdit;

namespace norvik::ui {

class Selection : public QWidget {
  public:
    // A control over the model; the model must outlive it.
    explicit Selection(SelectionModel& model, QWidget* parent = nullptr);

    // Shows another model (its form was loaded afresh); the model must outlive the control.
    void SetModel(SelectionModel& model);
    // Lets the user enter criteria (or not); kept in the model too.
    void SetEnabled(bool enabled);
    // The session whose connection the value lists and the condition use.
    void SetSession(std::shared_ptr<HostSession> session) {
        model_->SetSession(std::move(session));
    }
    // Removes every criterion and its row.
    void ClearCriteria();
    // The criteria.
    CriterionList& Criteria() { return model_->Criteria; }
    // Builds the rows of the criteria.
    void ShowCriteria() { model_->ShowCriteria(); }
    // The entries as an SQL condition (see SelectionModel::Condition).
    std::string Condition() const { return model_->Condition(); }
    // Mirrors the model's Enabled after the form changed it.
    void Sync() { setEnabled(model_->Enabled); }
    // The tab stops around the selection: its rows are chained between them whenever they are
    // built (a widget that takes no focus itself has no place in the chain of its own).
    void SetTabNeighbours(QWidget* before, QWidget* after) {
        tabBefore_ = before;
        tabAfter_ = after;
    }

    // The entry field of a criterion's row (by key), or null; for tests and screenshots.
    QLineEdit* EntryOf(const std::string& key) const;
    // Number of rows shown.
    int RowCount() const { return static_cast<int>(rows_.size()); }

  private:
    struct Row {
        std::string key;
        QWidget* label;
        QWidget* field;    // the entry, or the row's box holding it with its button
        QLineEdit* entry;  // the text the user types
    };

    void RebuildRows();
    QWidget* MakeField(const Criterion& criterion, QLineEdit*& entry);
    QWidget* MakeDateField(QLineEdit*& entry);
    QWidget* MakeListField(const Criterion& criterion, QLineEdit*& entry);
    void StoreEntry(const std::string& key, const QString& text);

    SelectionModel* model_;
    QScrollArea* scroll_;
    QWidget* rowsHost_;
    QGridLayout* grid_;
    std::vector<Row> rows_;
    QWidget* tabBefore_ = nullptr;
    QWidget* tabAfter_ = nullptr;
};

}  // namespace norvik::ui
