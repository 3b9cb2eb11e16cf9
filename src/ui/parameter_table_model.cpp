#include "ui/parameter_table_model.h"

namespace norvik::ui {

ParameterTableModel::ParameterTableModel(ParameterRows& rows, QColor fixedBackground,
                                         QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), fixedBackground_(fixedBackground) {}

void ParameterTableModel::Reload() {
    beginResetModel();
    endResetModel();
}

int ParameterTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.Rows().size());
}

int ParameterTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant ParameterTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !checkIndex(index)) return {};
    const ParameterRow& row = rows_.Rows()[static_cast<size_t>(index.row())];
    // A fixed row is the file's own: greyed like the captions, as it cannot be edited.
    if (role == Qt::BackgroundRole && (index.column() <= kSpacerColumn || row.fixed))
        return fixedBackground_;
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    switch (index.column()) {
        case kCaptionColumn:
            return QString::fromStdString(ParameterRows::CaptionCell(row));
        case kValueColumn:
            return QString::fromStdString(row.value);
        case kKeyColumn:
            return QString::fromStdString(row.key);
        default:
            return QString();
    }
}

bool ParameterTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !checkIndex(index) || role != Qt::EditRole ||
        index.column() != kValueColumn)
        return false;
    rows_.SetValue(static_cast<size_t>(index.row()), value.toString().toStdString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags ParameterTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || !checkIndex(index)) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == kValueColumn && !rows_.Rows()[static_cast<size_t>(index.row())].fixed)
        flags |= Qt::ItemIsEditable;
    return flags;
}

}  // namespace norvik::ui
