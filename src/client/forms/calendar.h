// The perpetual calendar "万年历": a month of days, each with its Chinese lunar day under it,
// and the selected day spelled out in both calendars. One window serves the whole program.
#pragma once

#include "client/forms/rootform.h"

#include <QDate>

class QLabel;
class QSpinBox;
class QComboBox;
class QTableWidget;

class TfrmCalendar : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmCalendar(QWidget *parent = nullptr);

    QDate SelectedDate() const { return m_selected; }
    void SetSelectedDate(QDate date);

    QSpinBox *YearBox;
    QComboBox *MonthBox;
    QTableWidget *Days;
    QLabel *DayText;

private:
    void showMonth();
    void cellChosen(int row, int column);
    QDate dateAt(int row, int column) const;

    QDate m_selected;
    QDate m_firstShown; // the Monday the grid starts with
};

// The selected day spelled out: "2026年12月6日 星期日 农历丙午年十月廿七 (马年)".
QString CalendarDayText(QDate date);

// Shows the program's calendar on the day, making it on first use.
TfrmCalendar *ShowCalendar(QDate day);
