#pragma once
// The dialogs' date field: dd.mm.yyyy, a German calendar whose day abbreviations are
// "So,Mo,Di,Mi,Do,Fr,Sa", and its value as the form logic keeps it.

#include <QDateEdit>
#include <QString>
#include <string>

namespace norvik::ui {

// The day names of the calendar, Sunday first.
inline constexpr const char* kCalendarDayNames = "So,Mo,Di,Mi,Do,Fr,Sa";

// The calendar's abbreviation of a weekday.
QString DayAbbreviation(Qt::DayOfWeek day);
// A date field at left, top, width, height in twips with its calendar.
QDateEdit* MakeDateField(QWidget* parent, const QString& tip, int l, int t, int w, int h);
// Shows a date given as "dd.mm.yyyy"; a text that is no date leaves the field as it is.
void SetDateText(QDateEdit* field, const std::string& text);
// The field's date as "dd.mm.yyyy".
std::string DateText(const QDateEdit* field);

}  // namespace norvik::ui
