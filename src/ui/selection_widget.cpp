#include "ui/selection_widget.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace norvik::ui {
namespace {

const char* const kEntryToolTip = "Wert, Bereich a..b, Liste a;b;c oder Muster mit * und ?";
const char* const kGermanDate = "dd.MM.yyyy";

// The date at the end of an entry, so that the calendar opens on the date already typed.
QDate DateAtEnd(const QString& entry) {
    const QString last = entry.section(QRegularExpression("\\.\\.|;"), -1).trimmed();
    return QDate::fromString(last, kGermanDate);
}

}  // namespace

Selection::Selection(SelectionModel& model, QWidget* parent)
    : QWidget(parent),
      model_(&model),
      scroll_(new QScrollArea(this)),
      rowsHost_(new QWidget),
      grid_(new QGridLayout) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidget(rowsHost_);
    // The rows stand at the top; the space below stays empty.
    auto* rowsLayout = new QVBoxLayout(rowsHost_);
    rowsLayout->setContentsMargins(2, 2, 2, 2);
    rowsLayout->addLayout(grid_);
    rowsLayout->addStretch(1);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setVerticalSpacing(4);
    grid_->setColumnStretch(1, 1);
    SetModel(model);
}

void Selection::SetModel(SelectionModel& model) {
    model_ = &model;
    model_->criteriaShown = [this] { RebuildRows(); };
    model_->criteriaCleared = [this] { RebuildRows(); };
    RebuildRows();
    Sync();
}

void Selection::SetEnabled(bool enabled) {
    model_->Enabled = enabled;
    setEnabled(enabled);
}

void Selection::ClearCriteria() {
    model_->ClearCriteria();
}

QLineEdit* Selection::EntryOf(const std::string& key) const {
    for (const Row& row : rows_)
        if (row.key == key) return row.entry;
    return nullptr;
}

void Selection::RebuildRows() {
    for (Row& row : rows_) {
        delete row.label;
        delete row.field;
    }
    rows_.clear();
    int r = 0;
    for (const auto& criterion : model_->Criteria) {
        auto* label = new QLabel(QString::fromStdString(criterion->DisplayName()) + ":");
        QLineEdit* entry = nullptr;
        QWidget* field = MakeField(*criterion, entry);
        label->setBuddy(entry);
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        entry->setText(QString::fromStdString(criterion->Entry));
        entry->setToolTip(kEntryToolTip);
        const std::string key = criterion->ControlSource;
        connect(entry, &QLineEdit::textChanged, this,
                [this, key](const QString& text) { StoreEntry(key, text); });
        grid_->addWidget(label, r, 0);
        grid_->addWidget(field, r, 1);
        label->show();
        field->show();
        rows_.push_back({key, label, field, entry});
        ++r;
    }
    // Rows made after the dialog set its tab order would come last; they belong where the
    // selection stands.
    QWidget* previous = tabBefore_;
    for (const Row& row : rows_) {
        // An editable combo box takes the focus for its line; the calendar button takes none.
        QWidget* stop = qobject_cast<QComboBox*>(row.field) ? row.field : row.entry;
        if (previous) setTabOrder(previous, stop);
        previous = stop;
    }
    if (previous && tabAfter_) setTabOrder(previous, tabAfter_);
}

QWidget* Selection::MakeField(const Criterion& criterion, QLineEdit*& entry) {
    if (criterion.ValueKind == kValueDate) return MakeDateField(entry);
    if (criterion.ListKind != kListFree) return MakeListField(criterion, entry);
    entry = new QLineEdit;
    return entry;
}

QWidget* Selection::MakeDateField(QLineEdit*& entry) {
    auto* box = new QWidget;
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    entry = new QLineEdit;
    auto* button = new QToolButton;
    button->setText("…");
    button->setToolTip("Kalender");
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedWidth(28);
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    auto* calendar = new QCalendarWidget;
    calendar->setLocale(QLocale(QLocale::German, QLocale::Germany));
    calendar->setFirstDayOfWeek(Qt::Monday);
    auto* action = new QWidgetAction(menu);
    action->setDefaultWidget(calendar);
    menu->addAction(action);
    button->setMenu(menu);
    QLineEdit* target = entry;
    connect(menu, &QMenu::aboutToShow, calendar, [calendar, target] {
        const QDate date = DateAtEnd(target->text());
        calendar->setSelectedDate(date.isValid() ? date : QDate::currentDate());
    });
    // A chosen date completes a range begun with "..", else replaces the entry.
    connect(calendar, &QCalendarWidget::clicked, menu, [menu, target](const QDate& date) {
        const QString text = target->text();
        const QString chosen = date.toString(kGermanDate);
        target->setText(text.endsWith("..") || text.endsWith(";") ? text + chosen : chosen);
        menu->close();
    });
    layout->addWidget(entry, 1);
    layout->addWidget(button);
    return box;
}

QWidget* Selection::MakeListField(const Criterion& criterion, QLineEdit*& entry) {
    auto* combo = new QComboBox;
    combo->setEditable(true);
    // Inline completion would turn a typed "1" into "1 - Müller GmbH", which is no value.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItem(QString());
    try {
        for (const ValueListRow& row : model_->ValuesOf(criterion.ControlSource).rows) {
            const QString value = QString::fromStdString(row.value);
            const QString shown = QString::fromStdString(row.display);
            combo->addItem(shown == value ? value : value + " - " + shown, value);
        }
    } catch (const std::exception&) {
        // Without its list (no session, unknown lookup) the criterion still takes typed entries.
    }
    entry = combo->lineEdit();
    connect(combo, &QComboBox::activated, combo, [combo](int index) {
        const QVariant value = combo->itemData(index);
        if (value.isValid()) combo->setEditText(value.toString());
    });
    return combo;
}

void Selection::StoreEntry(const std::string& key, const QString& text) {
    try {
        model_->Criteria.Item(key).Entry = text.toStdString();
    } catch (const std::exception&) {
        // The row outlived its criterion (a failed rebuild); nothing to store.
    }
}

}  // namespace norvik::ui
