// The workstation's default date range of document lists and reports, as the system
// settings window stores it in "System\SystemSet.ini" (section CurrentWork). The date
// pickers take the two dates from here.
#pragma once

#include <QDate>

struct TDateRange
{
    QDate From;
    QDate To;
};

// The choices of the settings window, in its order.
enum TDefaultDateChoice {
    ddToday = 0,           // 当日
    ddThisMonth = 1,       // 当月
    ddDaysBack = 2,        // 当日前: today - days ... today
    ddAccountingMonth = 3, // 时间由上月: day kjqj of last month ... one month later less a day
    ddAll = 4              // 所有: this month; the lists then ignore the dates
};

// What the workstation stores: the choice, the days back of ddDaysBack and the first day of
// the accounting period of ddAccountingMonth.
struct TDefaultDateSettings
{
    int ItemIndex = ddThisMonth;
    int Day = 0;
    int KJQJ = 1;
};
TDefaultDateSettings ReadDefaultDateSettings();
// False when the file could not be written.
bool WriteDefaultDateSettings(const TDefaultDateSettings &choice);

TDateRange DefaultDateRange(int itemIndex, int days, int kjqj, QDate today);

// The range stored on this workstation; without a stored choice, this month.
TDateRange DefaultDateRange(QDate today);
// The choice stored on this workstation (TDefaultDateChoice); without one, ddThisMonth.
int DefaultDateChoice();
