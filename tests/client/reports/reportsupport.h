// What the report window tests share: reading a report's rows and opening a report window for
// a date range as the menu would.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/forms/globalobj.h"

#include <QDate>
#include <QDateEdit>
#include <QStringList>

namespace reportsupport {

// "value|value|..." of the fields of every row, in the order the report gives them.
inline QStringList rows(TClientDataSet &data, const QStringList &fields)
{
    QStringList result;
    if (!data.Active())
        return result;
    for (data.First(); !data.Eof(); data.Next()) {
        QStringList values;
        for (const QString &field : fields)
            values << data.FieldByName(field)->AsString();
        result << values.join(QLatin1Char('|'));
    }
    return result;
}

// The report window of the class, opened (or brought forward) through the window manager with
// its dates set; nullptr when the class is no Report.
template<class Report>
Report *openReport(const QString &className, QDate from, QDate to)
{
    auto *r = qobject_cast<Report *>(GlobalObj().MDIWindows.ShowForm(className));
    if (r) {
        r->dtpRqa->setDate(from);
        r->dtpRqb->setDate(to);
    }
    return r;
}

} // namespace reportsupport
