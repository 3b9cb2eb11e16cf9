#include "ui/date_field.h"

#include <QAction>
#include <QCalendarWidget>
#include <QItemDelegate>
#include <QMenu>
#include <QStyle>
#include <QTableView>
#include <QWidgetAction>

#include "ui/twips.h"

namespace norvik::ui {
namespace {

const QString kDateForm = "dd.MM.yyyy";

// Paints the calendar's header row with our day names and hands every other cell to the
// calendar's own delegate, which keeps painting the days.
class DayNameDelegate : public QItemDelegate {
  public:
    DayNameDelegate(QCalendarWidget* calendar, QAbstractItemDelegate* days)
        : QItemDelegate(calendar), calendar_(calendar), days_(days) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.row() != 0) {
            days_->paint(painter, option, index);
            return;
        }
        QItemDelegate::paint(painter, option, index);
    }

  protected:
    void drawDisplay(QPainter* painter, const QStyleOptionViewItem& option, const QRect& rect,
                     const QString& text) const override {
        QItemDelegate::drawDisplay(painter, option, rect, text.isEmpty() ? text : DayName(rect));
    }

  private:
    // The weekday of a header cell, from its column: the calendar shows no week numbers.
    QString DayName(const QRect& rect) const {
        const auto* view = calendar_->findChild<QTableView*>();
        const int column = view ? view->columnAt(rect.center().x()) : 0;
        const int day = (calendar_->firstDayOfWeek() - 1 + column) % 7 + 1;
        return DayAbbreviation(static_cast<Qt::DayOfWeek>(day));
    }

    QCalendarWidget* calendar_;
    QAbstractItemDelegate* days_;
};

QCalendarWidget* MakeCalendar(QWidget* parent) {
    auto* calendar = new QCalendarWidget(parent);
    calendar->setLocale(QLocale(QLocale::German, QLocale::Germany));
    calendar->setFirstDayOfWeek(Qt::Monday);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    if (auto* view = calendar->findChild<QTableView*>())
        view->setItemDelegate(new DayNameDelegate(calendar, view->itemDelegate()));
    return calendar;
}

}  // namespace

QString DayAbbreviation(Qt::DayOfWeek day) {
    // Qt counts Monday as 1 and Sunday as 7; the list starts with Sunday.
    return QString(kCalendarDayNames).split(',').at(day % 7);
}

DateField::DateField(QWidget* parent)
    : QLineEdit(parent), calendar_(MakeCalendar(this)), popup_(new QMenu(this)) {
    auto* holder = new QWidgetAction(popup_);
    holder->setDefaultWidget(calendar_);
    popup_->addAction(holder);
    QAction* open = addAction(style()->standardIcon(QStyle::SP_ArrowDown), TrailingPosition);
    open->setToolTip("Kalender");
    connect(open, &QAction::triggered, this, [this] { ShowCalendar(); });
    connect(calendar_, &QCalendarWidget::clicked, this, [this](QDate chosen) {
        setDate(chosen);
        popup_->close();
        emit editingFinished();
    });
    connect(this, &QLineEdit::textChanged, this, [this] { ShowValidity(); });
}

QDate DateField::date() const {
    return QDate::fromString(text().trimmed(), "d.M.yyyy");
}

void DateField::setDate(QDate date) {
    setText(date.toString(kDateForm));
}

void DateField::ShowCalendar() {
    calendar_->setSelectedDate(date().isValid() ? date() : QDate::currentDate());
    popup_->popup(mapToGlobal(QPoint(0, height())));
}

void DateField::ShowValidity() {
    // A text that is no date stays as typed, but visibly so: nothing is put right behind the
    // user's back.
    const QString typed = text().trimmed();
    const bool refused = !typed.isEmpty() && !(accepts ? accepts(typed) : date().isValid());
    QPalette colours = palette();
    colours.setColor(QPalette::Text, refused ? QColor(Qt::red) : QPalette().color(QPalette::Text));
    setPalette(colours);
}

DateField* MakeDateField(QWidget* parent, const QString& tip, int l, int t, int w, int h) {
    auto* field = new DateField(parent);
    field->setToolTip(tip);
    PlaceTwips(field, l, t, w, h);
    return field;
}

void SetDateText(DateField* field, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    if (field->text() != shown) field->setText(shown);
    field->ShowValidity();
}

std::string DateText(const DateField* field) {
    return field->text().trimmed().toStdString();
}

}  // namespace norvik::ui
