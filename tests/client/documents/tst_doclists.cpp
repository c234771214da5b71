// The document lists on a real server with the demo account set: the quick date ranges and
// the date condition, the status tabs, the kinds of the stock-adjustment list, opening a
// document on the list's current header, new documents appearing with their final number,
// the list delete with its refusals (also against a clerk who audited meanwhile), every menu
// item opening its list, and the single-document view behind OpenDocumentByType.
#include "client/common/sqltext.h"
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdczl.h"
#include "client/documents/doclists.h"
#include "client/documents/docview.h"
#include "client/documents/kcpd.h"
#include "client/documents/recordinfo.h"
#include "client/documents/registerforms.h"
#include "client/documents/xskd.h"
#include "client/forms/findpublic.h"
#include "client/forms/globalobj.h"
#include "client/forms/mdiwindows.h"
#include "client/masterdata/registerforms.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbnavigator.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "support/testworld.h"
#include "support/whenmodal.h"
#include "tradesupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>

using docsupport::flush;

namespace {

const QString AuditedText = QStringLiteral("本单据已经审核,不能删除。请反审后再删除单据");

QDate day(const char *text)
{
    return QDate::fromString(QLatin1String(text), Qt::ISODate);
}

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

qint64 firstId(const QString &sql)
{
    return QueryValue(sql).toLongLong();
}

} // namespace

class TestDocLists : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    QPointer<TfrmComDczb> list;
    std::unique_ptr<TMessageBoxScript> unexpected;

    // A list of the class, shown on every date.
    TfrmComDczb *openList(const QString &className, const QString &kind = {})
    {
        auto *form = qobject_cast<TfrmComDczb *>(TFormRegistry::Create(className));
        if (!form)
            return nullptr;
        list = form;
        form->resize(1000, 600);
        form->show();
        if (!kind.isEmpty())
            form->SetBillType(kind);
        form->CheckBox1->setChecked(false);
        flush();
        return form;
    }

    TClientDataSet &rows() { return *list->ListDataSet; }

    bool locate(qint64 id) { return rows().Locate(QStringLiteral("ID"), id); }

    QString listNumbers()
    {
        QStringList numbers;
        for (rows().First(); !rows().Eof(); rows().Next())
            numbers << rows().FieldByName(QStringLiteral("DJBH"))->AsString();
        return numbers.join(QLatin1Char(','));
    }

    QString serverNumbers(const QString &where)
    {
        TTmpDataSet found;
        found->SetCommandText(QStringLiteral("select DJBH from XSKDZB ") + where +
                              QStringLiteral(" order by DJBH"));
        found->Open();
        QStringList numbers;
        for (found->First(); !found->Eof(); found->Next())
            numbers << found->FieldByName(QStringLiteral("DJBH"))->AsString();
        return numbers.join(QLatin1Char(','));
    }

    bool keepDeliveries()
    {
        return world.keepTables({QStringLiteral("XSKDZB"), QStringLiteral("XSKD"),
                                 QStringLiteral("MaxBillNo"), QStringLiteral("Inv_ItemList")});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        RegisterMasterDataForms();
        RegisterDocumentForms();
    }

    void cleanupTestCase() { world.stop(); }

    void init() { unexpected = std::make_unique<TMessageBoxScript>(); }

    void cleanup()
    {
        const QStringList texts = docsupport::unexpectedTexts(unexpected);
        if (list) {
            list->Close();
            flush();
        }
        for (TData::TDataSetId id :
             {TData::idXskdzb, TData::idXskd, TData::idKcpdzb, TData::idKcpd})
            Data().DataSet(id).Close();
        SessionInfo().DatabaseKind = 0;
        world.cleanup();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // --- Dates -----------------------------------------------------------------------------

    void quickRanges_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        auto row = [](const char *name, const char *choice, const char *today, const char *from,
                      const char *to) {
            QTest::newRow(name) << QString::fromUtf8(choice) << day(today) << day(from) << day(to);
        };
        row("today", "今天", "2024-03-13", "2024-03-13", "2024-03-13");
        row("yesterday over a leap day", "昨天", "2024-03-01", "2024-02-29", "2024-02-29");
        row("day before over a year", "前天", "2024-01-01", "2023-12-30", "2023-12-30");
        row("this week on a Wednesday", "本周", "2024-03-13", "2024-03-11", "2024-03-17");
        row("this week on its Monday", "本周", "2024-01-01", "2024-01-01", "2024-01-07");
        row("this week on its Sunday", "本周", "2023-12-31", "2023-12-25", "2023-12-31");
        row("this week across months", "本周", "2024-05-01", "2024-04-29", "2024-05-05");
        row("last week on a Wednesday", "上周", "2024-03-13", "2024-03-04", "2024-03-10");
        row("last week across a year", "上周", "2024-01-03", "2023-12-25", "2023-12-31");
        row("this month in a leap February", "本月", "2024-02-10", "2024-02-01", "2024-02-29");
        row("this month on its last day", "本月", "2023-04-30", "2023-04-01", "2023-04-30");
        row("last month across a year", "上月", "2024-01-15", "2023-12-01", "2023-12-31");
        row("last month from a 31st", "上月", "2023-03-31", "2023-02-01", "2023-02-28");
        row("this year", "本年", "2024-07-04", "2024-01-01", "2024-12-31");
        row("last year on New Year's day", "上年", "2024-01-01", "2023-01-01", "2023-12-31");
    }

    void quickRanges()
    {
        QFETCH(QString, choice);
        QFETCH(QDate, today);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        const std::optional<TDateRange> range = QuickDateRange(choice, today);
        QVERIFY(range);
        QCOMPARE(range->From, from);
        QCOMPARE(range->To, to);
    }

    void noRangeForThePromptOrOtherTexts()
    {
        QVERIFY(!QuickDateRange(QStringLiteral("请选择"), day("2024-03-13")));
        QVERIFY(!QuickDateRange(QStringLiteral("下周"), day("2024-03-13")));
        QCOMPARE(QuickDateChoices().size(), 10);
        for (const QString &choice : QuickDateChoices().mid(1))
            QVERIFY2(QuickDateRange(choice, day("2024-03-13")), qPrintable(choice));
    }

    void dateConditionFollowsTheCheckBoxAndTheDatabaseKind()
    {
        std::unique_ptr<TFrmRoot> created(TFormRegistry::Create(QStringLiteral("TfrmSalOuntWork")));
        auto *form = qobject_cast<TfrmComDczb *>(created.get());
        QVERIFY(form);
        form->SetDateRange({day("2024-03-01"), day("2024-03-31")});
        form->CheckBox1->setChecked(true);
        QCOMPARE(form->DateCondition(),
                 QStringLiteral(" and Z.RQ >=#2024-03-01# and Z.RQ <=#2024-03-31#"));
        SessionInfo().DatabaseKind = 1;
        QCOMPARE(form->DateCondition(),
                 QStringLiteral(" and Z.RQ >='2024-03-01' and Z.RQ <='2024-03-31'"));
        form->CheckBox1->setChecked(false);
        QCOMPARE(form->DateCondition(), QString());
        QVERIFY(!form->dtpRqa->isEnabled());
        QVERIFY(!form->aSetViewMode->isEnabled());
        QVERIFY(!form->aViewMode->isChecked());
    }

    // --- Filters ---------------------------------------------------------------------------

    void statusTabsFilter_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("where");
        QTest::newRow("all") << 0 << QString();
        QTest::newRow("drafts") << 1 << QStringLiteral("where uFlag <> 1");
        QTest::newRow("audited") << 2 << QStringLiteral("where uFlag = 1");
    }

    void statusTabsFilter()
    {
        QFETCH(int, tab);
        QFETCH(QString, where);
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        list->TabStatus->setCurrentIndex(tab);
        QVERIFY(rows().RecordCount() > 0);
        QCOMPARE(listNumbers(), serverNumbers(where));
    }

    void theDateControlsReopenTheList()
    {
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        const QDate last = QueryValue(QStringLiteral("select max(RQ) from XSKDZB")).toDate();
        const auto numbersOf = [this](QDate from, QDate to) {
            return serverNumbers(QStringLiteral("where RQ >= #%1# and RQ <= #%2#")
                                     .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate)));
        };
        // F2 ticks the check box (and with it the pickers) and reopens.
        list->SetDateRange({last, last});
        list->aViewMode->trigger();
        QVERIFY(list->CheckBox1->isChecked());
        QVERIFY(list->aViewMode->isChecked());
        QVERIFY(list->dtpRqa->isEnabled());
        QCOMPARE(listNumbers(), numbersOf(last, last));
        // F4 moves between the pickers.
        list->aSetViewMode->trigger();
        QVERIFY(list->dtpRqa->hasFocus());
        list->aSetViewMode->trigger();
        QVERIFY(list->dtpRqb->hasFocus());
        // Enter in a picker reopens with its date.
        list->dtpRqa->setDate(last.addDays(-3));
        QTest::keyClick(list->dtpRqb, Qt::Key_Return);
        QCOMPARE(listNumbers(), numbersOf(last.addDays(-3), last));
        // A day picked in a calendar reopens too.
        emit list->dtpRqa->calendarWidget()->clicked(last.addDays(-1));
        QCOMPARE(list->dtpRqa->date(), last.addDays(-1));
        QCOMPARE(listNumbers(), numbersOf(last.addDays(-1), last));
        // A quick choice sets both pickers and reopens; the prompt does nothing.
        const int thisYear = int(QuickDateChoices().indexOf(QStringLiteral("本年")));
        list->CombSelectedDate->setCurrentIndex(thisYear);
        emit list->CombSelectedDate->activated(thisYear);
        const TDateRange year = *QuickDateRange(QStringLiteral("本年"), QDate::currentDate());
        QCOMPARE(list->dtpRqa->date(), year.From);
        QCOMPARE(list->dtpRqb->date(), year.To);
        QCOMPARE(listNumbers(), numbersOf(year.From, year.To));
        list->CombSelectedDate->setCurrentIndex(0);
        emit list->CombSelectedDate->activated(0);
        QCOMPARE(list->dtpRqa->date(), year.From);
        // F2 again: every date.
        list->aViewMode->trigger();
        QVERIFY(!list->CheckBox1->isChecked());
        QCOMPARE(listNumbers(), serverNumbers(QString()));
    }

    void theSearchBoxMatchesANumberPrefix()
    {
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        const QString number =
            QueryValue(QStringLiteral("select max(DJBH) from XSKDZB")).toString();
        const QString prefix = number.left(number.size() - 2);
        for (const QString &text :
             {prefix, prefix.toLower(), number, QStringLiteral("X' or 'a'='a"),
              QStringLiteral("%'--"), QStringLiteral("不存在")}) {
            list->RzBtnNo->setText(text);
            list->btnFind->click();
            QCOMPARE(listNumbers(), serverNumbers(QStringLiteral("where DJBH like ") +
                                                  QuotedStr(text + QLatin1Char('%'))));
        }
        // btnList shows the whole list again.
        auto *withList = qobject_cast<TfrmComDclbzb *>(list.data());
        QVERIFY(withList);
        withList->btnList->click();
        QVERIFY(list->RzBtnNo->text().isEmpty());
        QCOMPARE(listNumbers(), serverNumbers(QString()));
    }

    void aFindReopensTheListOnTheRecordFound()
    {
        QVERIFY(keepDeliveries());
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        rows().First();
        rows().MoveBy(4);
        const qint64 id = rows().FieldByName(QStringLiteral("ID"))->AsLargeInt();
        const QString number = rows().FieldByName(QStringLiteral("DJBH"))->AsString();
        rows().First();
        // Changed by another clerk since the list read it: the reopened list shows it.
        QVERIFY(ExecSQL(QStringLiteral("update XSKDZB set BZ = '改过' where ID = %1").arg(id)));
        bool found = false;
        auto answered = vztest::whenModal<TfrmFindPublic>([&](TfrmFindPublic &find) {
            find.edtText->setText(number);
            find.cbFields->setCurrentIndex(0);
            find.btnFind->click();
            found = find.Found();
        });
        list->aSearch->trigger();
        QVERIFY(answered);
        QVERIFY(found);
        QCOMPARE(rows().FieldByName(QStringLiteral("ID"))->AsLargeInt(), id);
        QCOMPARE(rows().FieldByName(QStringLiteral("BZ"))->AsString(), QStringLiteral("改过"));
    }

    void theWorkstationsDefaultRangeComesFirst_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("dated");
        QTest::newRow("today") << int(ddToday) << true;
        QTest::newRow("this month") << int(ddThisMonth) << true;
        QTest::newRow("all dates") << int(ddAll) << false;
    }

    void theWorkstationsDefaultRangeComesFirst()
    {
        QFETCH(int, choice);
        QFETCH(bool, dated);
        QDir(ExeDir()).mkpath(QStringLiteral("System"));
        QFile ini(ExeDirFile(QStringLiteral("System\\SystemSet.ini")));
        world.afterTest([name = ini.fileName()] { QFile::remove(name); });
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[CurrentWork]\nItemIndex=%1\n").arg(choice).toLatin1());
        ini.close();
        auto *form =
            qobject_cast<TfrmComDczb *>(TFormRegistry::Create(QStringLiteral("TfrmSalOuntWork")));
        QVERIFY(form);
        list = form;
        form->show();
        flush();
        const TDateRange range = DefaultDateRange(QDate::currentDate());
        QCOMPARE(form->dtpRqa->date(), range.From);
        QCOMPARE(form->dtpRqb->date(), range.To);
        QCOMPARE(form->CheckBox1->isChecked(), dated);
        QCOMPARE(form->dtpRqa->isEnabled(), dated);
        const QString where =
            dated ? QStringLiteral("where RQ >= #%1# and RQ <= #%2#")
                        .arg(range.From.toString(Qt::ISODate), range.To.toString(Qt::ISODate))
                  : QString();
        QCOMPARE(listNumbers(), serverNumbers(where));
        // The default range again after other dates.
        form->SetDateRange({QDate(2001, 1, 1), QDate(2001, 1, 2)});
        form->CheckBox1->setChecked(!dated);
        form->aDefDate->trigger();
        QCOMPARE(form->dtpRqa->date(), range.From);
        QCOMPARE(form->CheckBox1->isChecked(), dated);
        QCOMPARE(listNumbers(), serverNumbers(where));
    }

    void theFooterSumsAmountsNotDecodedTexts()
    {
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        TDBGridColumns &columns = list->DBGrid1->Columns();
        QCOMPARE(list->DBGrid1->FooterRowCount(), 1);
        QCOMPARE(columns.FindByFieldName(QStringLiteral("JE"))->Footer().ValueType(), fvtSum);
        QCOMPARE(columns.FindByFieldName(QStringLiteral("aXSLX"))->Footer().ValueType(), fvtNon);
        QCOMPARE(columns[0]->Footer().Value(), QStringLiteral("合计"));
    }

    void dateFilterKeepsTheRange()
    {
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        const QDate last = QueryValue(QStringLiteral("select max(RQ) from XSKDZB")).toDate();
        QVERIFY(last.isValid());
        list->SetDateRange({last.addDays(-6), last});
        list->CheckBox1->setChecked(true);
        const QString range =
            QStringLiteral("where RQ >= #%1# and RQ <= #%2#")
                .arg(last.addDays(-6).toString(Qt::ISODate), last.toString(Qt::ISODate));
        QVERIFY(rows().RecordCount() > 0);
        QVERIFY(rows().RecordCount() < count(QStringLiteral("select count(*) from XSKDZB")));
        QCOMPARE(listNumbers(), serverNumbers(range));
        // Unticked, every date again.
        list->CheckBox1->setChecked(false);
        QCOMPARE(listNumbers(), serverNumbers(QString()));
    }

    void theKindRestrictsTheList_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::newRow("count") << "TFrmPdWork"
                               << "KCPD"
                               << "KCPDZB"
                               << "BillType";
        QTest::newRow("adjustment") << "TFrmPdWork"
                                    << "KCTZ"
                                    << "KCPDZB"
                                    << "BillType";
        QTest::newRow("opening stock, lower case") << "TFrmPdWork"
                                                   << "kccs"
                                                   << "KCPDZB"
                                                   << "BillType";
        QTest::newRow("transfer") << "TfrmStockdbWork"
                                  << "CKDB"
                                  << "CKDBZB"
                                  << "DBType";
    }

    void theKindRestrictsTheList()
    {
        QFETCH(QString, className);
        QFETCH(QString, kind);
        QFETCH(QString, table);
        QFETCH(QString, field);
        const QString code = kind.toUpper();
        QVERIFY(openList(className, kind));
        const int expected =
            count(QStringLiteral("select count(*) from %1 where %2 = ").arg(table, field) +
                  QuotedStr(code));
        QCOMPARE(rows().RecordCount(), expected);
        if (code == QLatin1String("KCPD") || code == QLatin1String("CKDB"))
            QVERIFY2(expected > 0, "the demo has documents of the kind");
        for (rows().First(); !rows().Eof(); rows().Next())
            QCOMPARE(rows().FieldByName(field)->AsString(), code);
        // The document it opens is of that kind.
        if (className != QLatin1String("TFrmPdWork"))
            return;
        QString opened;
        auto answered = vztest::whenModal<TFrmpd>([&](TFrmpd &form) {
            opened = form.AdjustmentKind();
            TMessageBoxScript dropIt{mrNo};
            form.Close();
        });
        list->aNew->trigger();
        QVERIFY(answered);
        QCOMPARE(opened, code);
    }

    void pendingAuditsShowDraftsOfEveryDate()
    {
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        list->CheckBox1->setChecked(true);
        list->SetDateRange({day("2000-01-01"), day("2000-01-02")});
        list->ShowPendingAudits();
        QVERIFY(!list->CheckBox1->isChecked());
        QVERIFY(rows().RecordCount() > 0);
        QCOMPARE(listNumbers(), serverNumbers(QStringLiteral("where uFlag <> 1")));
    }

    // --- Opening documents -----------------------------------------------------------------

    void aDocumentOpensOnTheListsCurrentHeader_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("modify") << QStringLiteral("M");
        QTest::newRow("view") << QStringLiteral("V");
    }

    void aDocumentOpensOnTheListsCurrentHeader()
    {
        QFETCH(QString, mode);
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        rows().First();
        rows().MoveBy(2);
        const qint64 id = rows().FieldByName(QStringLiteral("ID"))->AsLargeInt();
        qint64 shown = 0;
        int lineCount = -1;
        QString openMode;
        bool canSave = true;
        auto answered = vztest::whenModal<TfrmSalOunt>([&](TfrmSalOunt &form) {
            shown = form.ZbDataSet()->FieldByName(QStringLiteral("ID"))->AsLargeInt();
            lineCount = form.MxDataSet()->RecordCount();
            openMode = form.FOpenMode;
            canSave = form.aSave->isEnabled() || form.aNew->isEnabled();
            form.Close();
        });
        (mode == QLatin1String("V") ? list->aView : list->aModify)->trigger();
        QVERIFY(answered);
        QCOMPARE(shown, id);
        QCOMPARE(lineCount,
                 count(QStringLiteral("select count(*) from XSKD where ZBID = %1").arg(id)));
        QCOMPARE(openMode, mode);
        if (mode == QLatin1String("V"))
            QVERIFY(!canSave);
        // The list stays on its record, not queried again.
        QCOMPARE(rows().FieldByName(QStringLiteral("ID"))->AsLargeInt(), id);
    }

    void theDetailGridShowsTheCurrentHeadersLines()
    {
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        list->aDetail->trigger();
        QVERIFY(list->DBGrid2->isVisible());
        for (int step : {0, 3}) {
            rows().MoveBy(step);
            const qint64 id = rows().FieldByName(QStringLiteral("ID"))->AsLargeInt();
            TClientDataSet &lines = Data().Xskd();
            QCOMPARE(lines.RecordCount(),
                     count(QStringLiteral("select count(*) from XSKD where ZBID = %1").arg(id)));
            for (lines.First(); !lines.Eof(); lines.Next())
                QCOMPARE(lines.FieldByName(QStringLiteral("ZBID"))->AsLargeInt(), id);
        }
        // Printing and exports take the grid that has the focus.
        QApplication::setActiveWindow(list);
        list->DBGrid2->View()->setFocus();
        QCOMPARE(list->ActionGrid(), list->DBGrid2);
        list->DBGrid1->View()->setFocus();
        QCOMPARE(list->ActionGrid(), list->DBGrid1);
        list->aDetail->trigger();
        QVERIFY(!list->DBGrid2->isVisible());
    }

    void everyListShowsItsHeadersAndTheirLines_data()
    {
        QTest::addColumn<QString>("className");
        for (const TDocumentListType &type : DocumentListTypes())
            QTest::newRow(type.ClassName) << QString::fromLatin1(type.ClassName);
    }

    void everyListShowsItsHeadersAndTheirLines()
    {
        QFETCH(QString, className);
        const TDocumentListType &type = *FindDocumentListType(className);
        QVERIFY(openList(className));
        const QString headers = QLatin1String(type.HeaderTable);
        const QString lines = QLatin1String(type.LinesTable);
        QCOMPARE(rows().RecordCount(), count(QStringLiteral("select count(*) from ") + headers));
        for (const char *field : {"DJBH", "RQ", "JE", "BZ", "uFlag"})
            QVERIFY2(rows().FindField(QLatin1String(field)), field);
        const TDBGridColumns &shown = list->DBGrid1->Columns();
        for (int i = 0; i < shown.Count(); ++i)
            QVERIFY2(rows().FindField(shown[i]->FieldName()), qPrintable(shown[i]->FieldName()));
        if (rows().IsEmpty())
            return;
        list->aDetail->trigger();
        rows().Last();
        const qint64 id = rows().FieldByName(QStringLiteral("ID"))->AsLargeInt();
        TClientDataSet &detail = Data().DataSet(type.Lines);
        QVERIFY(detail.Active());
        QCOMPARE(
            detail.RecordCount(),
            count(QStringLiteral("select count(*) from %1 where ZBID = %2").arg(lines).arg(id)));
        const TDBGridColumns &columns = list->DBGrid2->Columns();
        for (int i = 0; i < columns.Count(); ++i)
            QVERIFY2(detail.FindField(columns[i]->FieldName()),
                     qPrintable(columns[i]->FieldName()));
    }

    void aNewDocumentShowsWithItsFinalNumber()
    {
        QVERIFY(keepDeliveries());
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        const int before = rows().RecordCount();
        QString saved;
        auto answered = vztest::whenModal<TfrmSalOunt>([&](TfrmSalOunt &form) {
            tradesupport::fillHeader(&form);
            tradesupport::enterLines(&form, {{1, 1, 10}});
            TMessageBoxScript answers{mrYes, mrYes};
            form.aSave->trigger();
            QVERIFY(!form.IsModified());
            saved = tradesupport::billNo(&form);
            form.Close();
        });
        list->aNew->trigger();
        QVERIFY(answered);
        QVERIFY(!saved.isEmpty());
        QCOMPARE(rows().RecordCount(), before + 1);
        QCOMPARE(rows().FieldByName(QStringLiteral("DJBH"))->AsString(), saved);
        const qint64 id = rows().FieldByName(QStringLiteral("ID"))->AsLargeInt();
        QCOMPARE(
            QueryValue(QStringLiteral("select DJBH from XSKDZB where ID = %1").arg(id)).toString(),
            saved);
    }

    // --- Delete ----------------------------------------------------------------------------

    void deletingADraftRemovesLinesAndHeader()
    {
        QVERIFY(keepDeliveries());
        const qint64 id = firstId(QStringLiteral(
            "select top 1 Z.ID from XSKDZB Z where Z.uFlag = 0 and exists (select 1 from XSKD M "
            "where M.ZBID = Z.ID) order by Z.ID"));
        QVERIFY(id > 0);
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        const int before = rows().RecordCount();
        QVERIFY(locate(id));
        TMessageBoxScript answers{mrYes};
        list->aDel->trigger();
        QCOMPARE(answers.Count(), 1);
        QCOMPARE(answers.Last().Text, QStringLiteral("确实要删除吗？"));
        QCOMPARE(answers.Last().Caption, QStringLiteral("确认"));
        QCOMPARE(count(QStringLiteral("select count(*) from XSKDZB where ID = %1").arg(id)), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from XSKD where ZBID = %1").arg(id)), 0);
        QCOMPARE(rows().RecordCount(), before - 1);
        QVERIFY(!locate(id));
        QCOMPARE(rows().ChangeCount(), 0);
    }

    void answeringNoDeletesNothing()
    {
        QVERIFY(keepDeliveries());
        const qint64 id = firstId(QStringLiteral("select top 1 ID from XSKDZB where uFlag = 0"));
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        QVERIFY(locate(id));
        TMessageBoxScript answers{mrNo};
        list->aDel->trigger();
        QCOMPARE(count(QStringLiteral("select count(*) from XSKDZB where ID = %1").arg(id)), 1);
        QVERIFY(locate(id));
    }

    void anAuditedDocumentIsNotDeleted()
    {
        QVERIFY(keepDeliveries());
        const qint64 id = firstId(QStringLiteral("select top 1 ID from XSKDZB where uFlag = 1"));
        const int lines =
            count(QStringLiteral("select count(*) from XSKD where ZBID = %1").arg(id));
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        QVERIFY(locate(id));
        TMessageBoxScript answers;
        list->aDel->trigger();
        QCOMPARE(answers.Count(), 1);
        QCOMPARE(answers.Last().Text, AuditedText);
        QCOMPARE(count(QStringLiteral("select count(*) from XSKD where ZBID = %1").arg(id)), lines);
        QVERIFY(locate(id));
    }

    void aDocumentAuditedMeanwhileIsNotDeleted()
    {
        QVERIFY(keepDeliveries());
        const qint64 id = firstId(QStringLiteral(
            "select top 1 Z.ID from XSKDZB Z where Z.uFlag = 0 and exists (select 1 from XSKD M "
            "where M.ZBID = Z.ID) order by Z.ID desc"));
        const int lines =
            count(QStringLiteral("select count(*) from XSKD where ZBID = %1").arg(id));
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        QVERIFY(locate(id));
        // Another clerk audits it after the list read it.
        QVERIFY(ExecSQL(QStringLiteral("update XSKDZB set uFlag = 1 where ID = %1").arg(id)));
        TMessageBoxScript answers{mrYes};
        list->aDel->trigger();
        QCOMPARE(answers.Count(), 2);
        QCOMPARE(answers.Last().Text, AuditedText);
        QCOMPARE(count(QStringLiteral("select count(*) from XSKDZB where ID = %1").arg(id)), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from XSKD where ZBID = %1").arg(id)), lines);
        QVERIFY(locate(id));
        QCOMPARE(rows().ChangeCount(), 0);
    }

    void theDeleteQuotesTheNumber()
    {
        QVERIFY(keepDeliveries());
        const qint64 id = firstId(QStringLiteral("select top 1 ID from XSKDZB where uFlag = 0"));
        QVERIFY(
            ExecSQL(QStringLiteral("update XSKDZB set DJBH = 'O''Brien' where ID = %1").arg(id)));
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        QVERIFY(locate(id));
        TMessageBoxScript answers{mrYes};
        list->aDel->trigger();
        QCOMPARE(count(QStringLiteral("select count(*) from XSKDZB where ID = %1").arg(id)), 0);
    }

    // --- Menu ------------------------------------------------------------------------------

    void everyMenuItemOpensItsList()
    {
        auto main = std::make_unique<TfrmMain>();
        main->FormCreate();
        main->resize(1200, 800);
        main->show();
        struct Item
        {
            const char *Menu;
            const char *Class;
            const char *Kind;
        };
        const Item items[] = {
            {"mnuCgsq", "TfrmCgsqzb", ""},          {"mnuSq", "TfrmCgddzb", ""},
            {"mnuCgsh", "TfrmPurInWork", ""},       {"mnuCgth", "TfrmPurOutWork", ""},
            {"mnuXsdd", "TfrmXsddzb", ""},          {"mnuXskd", "TfrmSalOuntWork", ""},
            {"mnuXsth", "TfrmSalInWork", ""},       {"mnuLl", "TfrmStockLlWork", ""},
            {"mnuTl", "TfrmStockTlWork", ""},       {"mnuCkdb", "TfrmStockdbWork", "CKDB"},
            {"mnuKcpd", "TFrmPdWork", "KCPD"},      {"mnuKctz", "TFrmPdWork", "KCTZ"},
            {"mnuQTkcbd", "TfrmQtkcbdzb", ""},      {"mnuCpjc", "TfrmProductInWork", ""},
            {"mnuFykz", "TfrmArapFykzWork", ""},    {"mnuQtsr", "TfrmArapQtsrWork", ""},
            {"mnuXssk", "TfrmXsskWork", ""},        {"mnuCgfk", "TfrmCgfkWork", ""},
            {"dxBarButton1", "TFrmPdWork", "KCCS"},
        };
        QCOMPARE(DocumentListTypes().size(), size_t(17));
        for (const Item &item : items) {
            const QString className = QLatin1String(item.Class);
            QAction *action = main->Item(QLatin1String(item.Menu));
            QVERIFY2(action, item.Menu);
            action->trigger();
            flush();
            QPointer<TfrmComDczb> opened =
                qobject_cast<TfrmComDczb *>(GlobalObj().MDIWindows.FindForm(className.mid(1)));
            QVERIFY2(opened, item.Menu);
            const TDocumentListType *type = FindDocumentListType(className);
            QVERIFY(type);
            QCOMPARE(opened->windowTitle(), QString::fromUtf8(type->Caption));
            QCOMPARE(opened->BillType(), QLatin1String(item.Kind));
            QVERIFY2(opened->ListDataSet && opened->ListDataSet->Active(), item.Menu);
            QCOMPARE(opened->HeaderTableName, QLatin1String(type->HeaderTable));
            QCOMPARE(opened->DetailTableName, QLatin1String(type->LinesTable));
            opened->Close();
            flush();
            QVERIFY(!opened);
        }
        // The pending audits of deliveries, through the workspace.
        TfrmComDczb *pending = ShowPendingAudits(QStringLiteral("TfrmSalOuntWork"));
        QVERIFY(pending);
        list = pending;
        QVERIFY(pending->PendingAudits());
        QCOMPARE(pending->ListDataSet->RecordCount(),
                 count(QStringLiteral("select count(*) from XSKDZB where uFlag <> 1")));
        QVERIFY(!ShowPendingAudits(QStringLiteral("TfrmStockCode")));
    }

    // --- The single-document view ----------------------------------------------------------

    void openByTypeRefusesBadKeysAndNames_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::newRow("zero") << "0"
                              << "销售出库";
        QTest::newRow("negative") << "-4"
                                  << "销售出库";
        QTest::newRow("text") << "abc"
                              << "销售出库";
        QTest::newRow("empty") << ""
                               << "销售出库";
        QTest::newRow("fraction") << "1.5"
                                  << "销售出库";
        QTest::newRow("unknown name") << "1"
                                      << "销售出货";
        QTest::newRow("empty name") << "1"
                                    << "";
    }

    void openByTypeRefusesBadKeysAndNames()
    {
        QFETCH(QString, key);
        QFETCH(QString, name);
        TMessageBoxScript boxes;
        QVERIFY(!OpenDocumentByType(key, name));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("不能打开此单据。"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("操作失败"));
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Warning);
    }

    void aDeliveryOpensReadOnlyByItsNames_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"销售出库", "现金销售", "挂帐销售"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }

    void aDeliveryOpensReadOnlyByItsNames()
    {
        QFETCH(QString, name);
        const qint64 id = firstId(QStringLiteral("select top 1 ID from XSKDZB order by ID desc"));
        int headers = 0;
        qint64 shown = 0;
        int lineCount = -1;
        bool readOnly = false;
        bool single = false;
        bool changes = true;
        bool navigator = true;
        QString mode;
        auto answered = vztest::whenModal<TfrmSalOunt>([&](TfrmSalOunt &form) {
            headers = form.ZbDataSet()->RecordCount();
            shown = form.ZbDataSet()->FieldByName(QStringLiteral("ID"))->AsLargeInt();
            lineCount = form.MxDataSet()->RecordCount();
            readOnly = form.ZbDataSet()->ReadOnly() && form.MxDataSet()->ReadOnly();
            single = form.FSingleBill;
            // The form's own view mode gives back the tool bar the opener switched off, with
            // nothing on it that changes the document.
            changes = form.aSave->isEnabled() || form.aDel->isEnabled() ||
                      form.btnNew->isEnabled() || form.aAudit->isEnabled() ||
                      form.btnUnAudit->isEnabled();
            navigator = form.DBNavigator1->isEnabled();
            mode = form.FOpenMode;
            form.Close();
        });
        QVERIFY(OpenDocumentByType(QString::number(id), name));
        QVERIFY(answered);
        QCOMPARE(headers, 1);
        QCOMPARE(shown, id);
        QCOMPARE(lineCount,
                 count(QStringLiteral("select count(*) from XSKD where ZBID = %1").arg(id)));
        QVERIFY(readOnly);
        QVERIFY(single);
        QVERIFY(!changes);
        QVERIFY(!navigator);
        QCOMPARE(mode, QStringLiteral("V"));
    }

    void everyTypeNameOpensItsDocument_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("caption");
        auto row = [](const char *name, const char *table, const char *caption) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromLatin1(table)
                                << QString::fromUtf8(caption);
        };
        row("销售退货", "XSTHZB", "销售退货单");
        row("销售订单", "XSDDZB", "销售订单");
        row("采购收货", "CGSHZB", "采购入库单");
        row("采购入库", "CGSHZB", "采购入库单");
        row("现金采购", "CGSHZB", "采购入库单");
        row("挂帐采购", "CGSHZB", "采购入库单");
        row("采购退货", "CGTHZB", "采购退货单");
        row("采购订单", "CGDDZB", "物品申请单");
        row("领料", "LLZB", "物品领用单");
        row("退料", "TLZB", "物品归还单");
        row("产品进仓", "CPJCZB", "产品进仓单");
        row("盘亏盘盈", "KCPDZB", "盘点单");
        row("仓库调拨", "CKDBZB", "仓库调拨单");
        row("仓库调入", "CKDBZB", "仓库调拨单");
        row("仓库调出", "CKDBZB", "仓库调拨单");
        row("库存变动", "QTKCBDZB", "其它库存变动");
        row("其它库存变动-减少", "QTKCBDZB", "其它库存变动");
        row("其它库存变动-增加", "QTKCBDZB", "其它库存变动");
        row("其它库存变动-退还增加", "QTKCBDZB", "其它库存变动");
        row("其它库存变动-退还减少", "QTKCBDZB", "其它库存变动");
        row("退还过程", "QTKCBDZB", "其它库存变动");
        row("费用开支", "FYKZZB", "费用开支");
        row("其它收入", "QTSRZB", "其它收入");
        row("销售收款", "XSSKZB", "销售收款单");
        row("采购付款", "CGFKZB", "采购付款单");
    }

    void anAccountTransferOpensInItsWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("in") << QStringLiteral("帐户转入");
        QTest::newRow("out") << QStringLiteral("帐户转出");
    }

    void anAccountTransferOpensInItsWindow()
    {
        QFETCH(QString, name);
        const qint64 id = firstId(QStringLiteral("select top 1 ID from YHCKQK order by ID"));
        if (id <= 0)
            QSKIP("the demo has no account transfer");
        const QString amount = FormatFloat(
            QStringLiteral("#,0.00"),
            QueryValue(QStringLiteral("select JE from YHCKQK where ID = %1").arg(id)).toDouble());
        QString shown;
        auto answered = vztest::whenModal<TfrmYhckqkCk>([&](TfrmYhckqkCk &transfer) {
            shown = transfer.ValueText(QStringLiteral("金    额："));
            transfer.btnClose->click();
        });
        QVERIFY(OpenDocumentByType(QString::number(id), name));
        QVERIFY(answered);
        QCOMPARE(shown, amount);
        // none of that number
        TMessageBoxScript answers{mrOk};
        QVERIFY(!OpenDocumentByType(QStringLiteral("999999"), name));
        QCOMPARE(answers.Requests().size(), 1);
    }

    void everyTypeNameOpensItsDocument()
    {
        QFETCH(QString, name);
        QFETCH(QString, table);
        QFETCH(QString, caption);
        const qint64 id = firstId(QStringLiteral("select top 1 ID from %1 where BillType is null "
                                                 "or BillType not in ('KCTZ', 'KCCS') "
                                                 "order by ID desc")
                                      .arg(table));
        if (id <= 0)
            QSKIP("the demo has no document of this type");
        qint64 shown = 0;
        int headers = -1;
        QString title;
        QString mode;
        auto answered = vztest::whenModal<TfrmComDj>([&](TfrmComDj &form) {
            headers = form.ZbDataSet()->RecordCount();
            shown = form.ZbDataSet()->FieldByName(QStringLiteral("ID"))->AsLargeInt();
            title = form.windowTitle();
            mode = form.FOpenMode;
            form.Close();
        });
        QVERIFY(OpenDocumentByType(QString::number(id), name));
        QVERIFY(answered);
        QCOMPARE(headers, 1);
        QCOMPARE(shown, id);
        QCOMPARE(title, caption);
        QCOMPARE(mode, QStringLiteral("V"));
    }

    void anAdjustmentOpensOnlyAsItsKind()
    {
        const qint64 sheet = firstId(
            QStringLiteral("select top 1 ID from KCPDZB where BillType = 'KCPD' order by ID"));
        QVERIFY(sheet > 0);
        // The count sheet as a count: shown; as an adjustment: no header matches.
        for (const auto &[name, headers] :
             {std::pair{QStringLiteral("库存盘点"), 1}, std::pair{QStringLiteral("库存调整"), 0}}) {
            int found = -1;
            QString kind;
            auto answered = vztest::whenModal<TFrmpd>([&](TFrmpd &form) {
                found = form.ZbDataSet()->RecordCount();
                kind = form.AdjustmentKind();
                form.Close();
            });
            QVERIFY(OpenDocumentByType(QString::number(sheet), name));
            QVERIFY(answered);
            QCOMPARE(found, headers);
            QCOMPARE(kind, headers ? QStringLiteral("KCPD") : QStringLiteral("KCTZ"));
        }
    }

    void theViewGivesAnOpenListItsRowsBack()
    {
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        const int before = rows().RecordCount();
        rows().Last();
        const qint64 current = rows().FieldByName(QStringLiteral("ID"))->AsLargeInt();
        const qint64 other = firstId(QStringLiteral("select top 1 ID from XSKDZB order by ID"));
        auto answered = vztest::whenModal<TfrmSalOunt>([](TfrmSalOunt &form) { form.Close(); });
        QVERIFY(OpenDocumentByType(QString::number(other), QStringLiteral("销售出库")));
        QVERIFY(answered);
        QCOMPARE(rows().RecordCount(), before);
        QCOMPARE(rows().FieldByName(QStringLiteral("ID"))->AsLargeInt(), current);
    }

    void aDocumentBeingEnteredKeepsItsChanges()
    {
        QVERIFY(openList(QStringLiteral("TfrmSalOuntWork")));
        rows().First();
        const qint64 id = rows().FieldByName(QStringLiteral("ID"))->AsLargeInt();
        rows().Edit();
        rows().FieldByName(QStringLiteral("BZ"))->SetAsString(QStringLiteral("未保存"));
        TMessageBoxScript boxes;
        QVERIFY(!OpenDocumentByType(QString::number(id), QStringLiteral("销售出库")));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Caption, QStringLiteral("操作失败"));
        QCOMPARE(rows().State(), dsEdit);
        QCOMPARE(rows().FieldByName(QStringLiteral("BZ"))->AsString(), QStringLiteral("未保存"));
        rows().Cancel();
    }

    void theSettlementOfADeliveryShowsItsReceipts()
    {
        const qint64 delivery = firstId(QStringLiteral(
            "select top 1 M.DDID from XSSK M where M.JE <> 0 and M.DDID > 0 order by M.DDID"));
        QVERIFY(delivery > 0);
        const int expected = count(
            QStringLiteral("select count(*) from XSSK where JE <> 0 and DDID = %1").arg(delivery));
        int shown = -1;
        QString caption;
        auto answered = vztest::whenModal<TFrmRoot>([&](TFrmRoot &form) {
            caption = form.windowTitle();
            if (auto *grid = form.findChild<TDBGrid *>(QStringLiteral("DBGrid1")))
                shown = grid->DataSource()->DataSet()->RecordCount();
            form.Close();
        });
        QVERIFY(OpenDocumentByType(QString::number(delivery), QStringLiteral("销售收款过程")));
        QVERIFY(answered);
        QCOMPARE(caption, QStringLiteral("销售收款过程"));
        QCOMPARE(shown, expected);
    }
};

QTEST_MAIN(TestDocLists)
#include "tst_doclists.moc"
