#include "ui/frm_properties.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>

#include "ui/parameter_table_model.h"
#include "ui/twips.h"

namespace norvik::ui {

// The grid, able to finish an edit in progress before the rows are saved.
class ParameterTable : public QTableView {
  public:
    using QTableView::QTableView;

    // Takes the text of an open cell editor into the model and closes the editor.
    void CommitPendingEdit() {
        QWidget* editor = focusWidget();
        if (state() != EditingState || !editor) return;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
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
    UseDialogFont(this);
    FixTwipsSize(this, 5715, 5880);
    PlaceTwips(tabStrip_, 15, 30, 5685, 5835);
    tabStrip_->addTab(new QWidget, "Alle Eigenschaften");
    tabStrip_->setFocusPolicy(Qt::NoFocus);
    PlaceTwips(props_, 105, 375, 5490, 5430);
    props_->raise();
    props_->setModel(model_);
    props_->setColumnHidden(kKeyColumn, true);
    props_->horizontalHeader()->hide();
    props_->verticalHeader()->hide();
    props_->setTextElideMode(Qt::ElideNone);
    props_->setWordWrap(false);
    props_->setSelectionMode(QAbstractItemView::SingleSelection);
    props_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    props_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabOrder(props_, tabStrip_);
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
