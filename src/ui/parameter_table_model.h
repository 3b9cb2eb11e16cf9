#pragma once
// The parameter rows as a table: caption with its dotted leader, an empty spacer, the value (the
// one editable column) and the hidden key.

#include <QAbstractTableModel>
#include <QColor>

#include "forms/parameter_rows.h"

namespace norvik::ui {

// The columns of the parameter table.
enum ParameterColumn : int { kCaptionColumn = 0, kSpacerColumn, kValueColumn, kKeyColumn };

class ParameterTableModel : public QAbstractTableModel {
  public:
    // A table over the rows; the rows must outlive it. Caption and spacer take the given colour.
    ParameterTableModel(ParameterRows& rows, QColor fixedBackground, QObject* parent = nullptr);

    // Tells the views that the rows were read anew.
    void Reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    ParameterRows& rows_;
    QColor fixedBackground_;
};

}  // namespace norvik::ui
