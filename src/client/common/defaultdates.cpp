// The default date range.
#include "client/common/defaultdates.h"

#include "client/common/valueroutines.h"
#include "client/core/inifile.h"
#include "client/core/paths.h"

#include <algorithm>

TDateRange DefaultDateRange(int itemIndex, int days, int kjqj, QDate today)
{
    switch (itemIndex) {
    case ddToday:
        return {today, today};
    case ddDaysBack:
        return {today.addDays(-days), today};
    case ddAccountingMonth: {
        // The accounting month starts on day kjqj of the previous month and runs for one
        // month; day 1 simply means this calendar month. A day the previous month lacks
        // (the 31st after a short month) falls on its last day.
        QDate from;
        if (kjqj <= 1) {
            from = StartOfMonth(today);
        } else {
            const QDate previous = StartOfMonth(today).addMonths(-1);
            from = QDate(previous.year(), previous.month(), std::min(kjqj, previous.daysInMonth()));
        }
        return {from, from.addMonths(1).addDays(-1)};
    }
    case ddThisMonth:
    case ddAll:
    default:
        return {StartOfMonth(today), EndOfMonth(today)};
    }
}

namespace {

const QString CurrentWork = QStringLiteral("CurrentWork");

TIniFile settings()
{
    return TIniFile(ExeDirFile(QStringLiteral("System\\SystemSet.ini")));
}

} // namespace

TDefaultDateSettings ReadDefaultDateSettings()
{
    const TIniFile ini = settings();
    TDefaultDateSettings stored;
    stored.ItemIndex = ini.ReadInteger(CurrentWork, QStringLiteral("ItemIndex"), ddThisMonth);
    stored.Day = ini.ReadInteger(CurrentWork, QStringLiteral("Day"), 0);
    stored.KJQJ = ini.ReadInteger(CurrentWork, QStringLiteral("KJQJ"), 1);
    return stored;
}

bool WriteDefaultDateSettings(const TDefaultDateSettings &choice)
{
    TIniFile ini = settings();
    return ini.WriteInteger(CurrentWork, QStringLiteral("ItemIndex"), choice.ItemIndex) &&
           ini.WriteInteger(CurrentWork, QStringLiteral("Day"), choice.Day) &&
           ini.WriteInteger(CurrentWork, QStringLiteral("KJQJ"), choice.KJQJ);
}

TDateRange DefaultDateRange(QDate today)
{
    const TDefaultDateSettings stored = ReadDefaultDateSettings();
    return DefaultDateRange(stored.ItemIndex, stored.Day, stored.KJQJ, today);
}

int DefaultDateChoice()
{
    return ReadDefaultDateSettings().ItemIndex;
}
