#pragma once
// The dialogs' date field: a line that keeps exactly what is typed or pasted ("dd.mm.yyyy"), shows
// a text that is no date in red, and a German calendar whose day abbreviations are
// "So,Mo,Di,Mi,Do,Fr,Sa" behind its button.

#include <QDate>
#include <QLineEdit>
#include <QString>
#include <functional>
#include <string>

class QCalendarWidget;
class QMenu;

namespace norvik::ui {

// The day names of the calendar, Sunday first.
inline constexpr const char* kCalendarDayNames = "So,Mo,Di,Mi,Do,Fr,Sa";

// The calendar's abbreviation of a weekday.
QString DayAbbreviation(Qt::DayOfWeek day);

class DateField : public QLineEdit {
  public:
    explicit DateField(QWidget* parent = nullptr);

    // The date typed ("d.m.yyyy" with a four-digit year), invalid for any other text.
    QDate date() const;
    // Shows the date as "dd.mm.yyyy".
    void setDate(QDate date);
    // The form the field shows dates in.
    QString displayFormat() const { return "dd.MM.yyyy"; }
    // The calendar behind the button.
    QCalendarWidget* calendarWidget() const { return calendar_; }
    // Opens the calendar below the field.
    void ShowCalendar();
    // Shows a text that is no date in red.
    void ShowValidity();
    // What counts as a date (by default "d.m.yyyy" of a real day).
    std::function<bool(const QString&)> accepts;

  private:
    QCalendarWidget* calendar_;
    QMenu* popup_;
};

// A date field at left, top, width, height in twips with its calendar.
DateField* MakeDateField(QWidget* parent, const QString& tip, int l, int t, int w, int h);
// Shows a text as it stands (the logic keeps what the user typed).
void SetDateText(DateField* field, const std::string& text);
// The field's text as typed.
std::string DateText(const DateField* field);

}  // namespace norvik::ui
