#include "ui/frm_properties.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>
#include <functional>

#include "ui/parameter_table_model.h"
#include "ui/twips.h"

namespace norvik::ui {

// Enter in a value's editor commits it and goes on to the next value, as Tab does: left on its
// row, the next typing would replace the value just entered.
class ValueDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::EditNextItem);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }
};

// The grid, able to finish an edit in progress before the rows are saved.
class ParameterTable : public QTableView {
  public:
    using QTableView::QTableView;

    // Takes the text of an open cell editor into the model and closes the editor.
    void CommitPendingEdit() {
        QWidget* editor = indexWidget(currentIndex());
        if (!editor) editor = focusWidget();
        if (state() != EditingState || !editor) return;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

    // Called when the cells' area changes size (a scroll bar comes or goes).
    std::function<void()> viewportResized;

  protected:
    bool viewportEvent(QEvent* event) override {
        const bool handled = QTableView::viewportEvent(event);
        if (event->type() == QEvent::Resize && viewportResized) viewportResized();
        return handled;
    }

    // Tab and the arrows go from value to value: only the value column takes input.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex current = currentIndex();
        const int rows = model() ? model()->rowCount() : 0;
        if (!current.isValid() || rows == 0) return QTableView::moveCursor(action, modifiers);
        int row = current.row();
        switch (action) {
            case MoveNext:
            case MoveDown:
                row = std::min(row + 1, rows - 1);
                break;
            case MovePrevious:
            case MoveUp:
                row = std::max(row - 1, 0);
                break;
            case MoveHome:
            case MovePageUp:
                row = action == MoveHome ? 0 : std::max(row - 10, 0);
                break;
            case MoveEnd:
            case MovePageDown:
                row = action == MoveEnd ? rows - 1 : std::min(row + 10, rows - 1);
                break;
            default:
                break;
        }
        return model()->index(row, kValueColumn);
    }

    // Only rows scroll: a caption shifted to the left would lose its first letters.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override {
        QTableView::scrollTo(index, hint);
        horizontalScrollBar()->setValue(0);
    }
};

FrmProperties::FrmProperties(QWidget* owner, std::string dateiname, ModuleState& state,
                             HostServices& services)
    : QDialog(owner),
      dateiname_(std::move(dateiname)),
      rows_(state, services),
      tabStrip_(new QTabWidget(this)),
      props_(new ParameterTable(this)),
      model_(new ParameterTableModel(rows_, QApplication::palette().color(QPalette::Button), this)),
      keyPreview_(this, keyhandler_) {
    FixTwipsSize(this, 5715, 5880);
    PlaceTwips(tabStrip_, 15, 30, 5685, 5835);
    tabStrip_->addTab(new QWidget, "Alle Eigenschaften");
    tabStrip_->setFocusPolicy(Qt::NoFocus);
    PlaceTwips(props_, 105, 375, 5490, 5430);
    props_->raise();
    props_->setModel(model_);
    props_->setItemDelegate(new ValueDelegate(props_));
    props_->setColumnHidden(kKeyColumn, true);
    props_->horizontalHeader()->hide();
    props_->verticalHeader()->hide();
    props_->setTextElideMode(Qt::ElideNone);
    props_->setWordWrap(false);
    props_->setSelectionMode(QAbstractItemView::SingleSelection);
    props_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    props_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabOrder(props_, tabStrip_);
    props_->viewportResized = [this] { LayOutColumns(); };
    ConnectDialogKeys(
        keyhandler_, this, [this] { close(); }, [this] { close(); });
}

FrmProperties::~FrmProperties() = default;

QTableView* FrmProperties::Props() const {
    return props_;
}

void FrmProperties::ShowData() {
    rows_.Load(dateiname_);
    setWindowTitle(QString::fromStdString(rows_.Title()));
    model_->Reload();
    LayOutColumns();
    if (model_->rowCount() > 0) props_->setCurrentIndex(model_->index(0, kValueColumn));
    // The caption column starts at its first letter, whatever the current cell.
    props_->horizontalScrollBar()->setValue(0);
}

void FrmProperties::done(int result) {
    props_->CommitPendingEdit();
    rows_.Save();
    QDialog::done(result);
}

void FrmProperties::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ShowData();
}

void FrmProperties::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOutColumns();
}

void FrmProperties::LayOutColumns() {
    // A third for the caption, a narrow spacer, the rest for the value.
    const int width = props_->viewport()->width();
    const int caption = width / 3;
    const int spacer = Px(100);
    props_->setColumnWidth(kCaptionColumn, caption);
    props_->setColumnWidth(kSpacerColumn, spacer);
    props_->setColumnWidth(kValueColumn, width - caption - spacer - 1);
}

}  // namespace norvik::ui
