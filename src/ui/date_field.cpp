#include "ui/date_field.h"

#include <QCalendarWidget>
#include <QItemDelegate>
#include <QTableView>

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

QDateEdit* MakeDateField(QWidget* parent, const QString& tip, int l, int t, int w, int h) {
    auto* field = new QDateEdit(parent);
    field->setLocale(QLocale(QLocale::German, QLocale::Germany));
    field->setDisplayFormat(kDateForm);
    field->setCalendarPopup(true);
    field->setCalendarWidget(MakeCalendar(field));
    field->setToolTip(tip);
    PlaceTwips(field, l, t, w, h);
    return field;
}

void SetDateText(QDateEdit* field, const std::string& text) {
    const QDate date = QDate::fromString(QString::fromStdString(text), kDateForm);
    if (date.isValid()) field->setDate(date);
}

std::string DateText(const QDateEdit* field) {
    return field->date().toString(kDateForm).toStdString();
}

}  // namespace norvik::ui
