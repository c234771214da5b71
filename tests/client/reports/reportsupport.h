// What the report window tests share: the suite's frame (world, report windows in an MDI
// area, the data posted once for all cases), reading a report's rows and opening a report
// window for a date range as the menu would.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/forms/globalobj.h"
#include "client/reports/registerreports.h"
#include "docsupport.h"

#include <QDate>
#include <QDateEdit>
#include <QMdiArea>
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

// A report suite posts its documents once in initTestCase and every case reads them; the
// report windows open in an MDI area, where drill-down finds the windows already open.
class TReportTest : public docsupport::TDocumentTest<TfrmComDj>
{
protected:
    using TDocumentTest::TDocumentTest;

    QMdiArea m_area;

    void closeReports()
    {
        m_area.closeAllSubWindows();
        docsupport::flush();
    }
    // The world started, every window registered, the windows opening in the area.
    bool startReports()
    {
        if (!startWorld())
            return false;
        RegisterReportForms();
        GlobalObj().MDIWindows.SetMdiArea(&m_area);
        return true;
    }
    // The suite's documents undone and the world stopped.
    void stopReports()
    {
        closeReports();
        beginCase();
        endCase();
        GlobalObj().MDIWindows.SetMdiArea(nullptr);
        world.stop();
    }
    void beginReportCase() { unexpected = std::make_unique<TMessageBoxScript>(); }
    // The windows of the case closed; the texts of the message boxes nobody expected.
    QStringList endReportCase()
    {
        closeReports();
        return docsupport::unexpectedTexts(unexpected);
    }
};

} // namespace reportsupport
