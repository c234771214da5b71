// The personnel and office records against a real server: a record of every kind is added
// through its edit form, saved, and found by the one list in its date range, in its
// department and under its employee, and not outside them; the wages the data module
// calculates, the unit price a process brings, and the leave defaults.
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/employee.h"
#include "client/masterdata/registerforms.h"
#include "client/personnel/personneledit.h"
#include "client/personnel/registerforms.h"
#include "client/personnel/rssingle.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"
#include "support/whenmodal.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using vztest::whenModal;

namespace {

const QDate March15(2026, 3, 15);

QString date(QDate d)
{
    return SQLDate(SessionInfo().DatabaseKind, d);
}

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

// Rows of the list whose employee is the test employee.
int listed(TRs_SingleFrm &f, int employee)
{
    TClientDataSet &ds = *f.ListDataSet;
    int n = 0;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        if (ds.FieldByName(QStringLiteral("F_empID"))->AsInteger() == employee)
            ++n;
    }
    return n;
}

void setRange(TRs_SingleFrm &f, QDate from, QDate to)
{
    f.dtpBegin->setDate(from);
    f.dtpEnd->setDate(to);
}

} // namespace

class TestPersonnel : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    std::unique_ptr<TfrmMain> main;
    QPointer<TRs_SingleFrm> form;

    TRs_SingleFrm *open(const QString &caption)
    {
        form = qobject_cast<TRs_SingleFrm *>(GlobalObj().MDIWindows.OpenHRForm(caption));
        return form;
    }

    // Adds a record through the list's edit form: the employee, the record date, and what
    // fill sets beyond them.
    bool add(TRs_SingleFrm &f, const QString &employee, QDate recordDate,
             const std::function<void(TfrmPersonnelEdit &)> &fill = {})
    {
        bool ok = false;
        auto ran = whenModal<TfrmPersonnelEdit>([&](TfrmPersonnelEdit &edit) {
            QCOMPARE(QString::fromLatin1(edit.metaObject()->className()),
                     QString::fromLatin1(f.Kind()->editClass));
            QVERIFY(edit.SetEmployee(employee));
            edit.EditDataSet->FieldByName(QStringLiteral("RQ"))->SetAsDate(recordDate);
            if (TField *name = edit.EditDataSet->FindField(QStringLiteral("F_Name"));
                name && QLatin1String(f.Kind()->table) == QLatin1String("Oa_Linkman"))
                name->SetAsString(QStringLiteral("O'Neil"));
            if (fill)
                fill(edit);
            edit.btnOk_New->click();
            ok = edit.Saved;
        });
        f.aNew->trigger();
        return ran && ok;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        RegisterMasterDataForms();
        RegisterPersonnelForms();
        main = std::make_unique<TfrmMain>();
        main->FormCreate();
        main->resize(1200, 800);
        main->show();
    }

    void cleanupTestCase()
    {
        main.reset();
        world.stop();
    }

    void init()
    {
        // A department with a sub-department holding the test employee, and a second
        // department with another employee.
        QVERIFY(world.keepTables({QStringLiteral("BM"), QStringLiteral("YG")}));
        QVERIFY(ExecSQLScript(
            {QStringLiteral("insert into BM (ID, MC, ParentCode) values (9001, '测试一部', 1)"),
             QStringLiteral("insert into BM (ID, MC, ParentCode) values (9002, '测试二部', 9001)"),
             QStringLiteral("insert into BM (ID, MC, ParentCode) values (9003, '测试三部', 1)"),
             QStringLiteral("insert into YG (ID, BH, XM, BMID) values (9001, 'T9001', "
                            "'测试员工', 9002)"),
             QStringLiteral("insert into YG (ID, BH, XM, BMID) values (9002, 'T9002', "
                            "'另一员工', 9003)")}));
    }

    void cleanup()
    {
        if (form)
            form->Close();
        QTRY_VERIFY(!form);
        world.cleanup();
    }

    void everyKindSavesAndListsInItsRange_data()
    {
        QTest::addColumn<QString>("caption");
        for (const TPersonnelKind &kind : PersonnelKinds()) {
            // The leave and overtime lists are found by a part of the caption.
            const QString caption = kind.byContainment
                                        ? QStringLiteral("员工") + QString::fromUtf8(kind.caption)
                                        : QString::fromUtf8(kind.caption);
            QTest::newRow(kind.table) << caption;
        }
    }

    void everyKindSavesAndListsInItsRange()
    {
        QFETCH(QString, caption);
        const TPersonnelKind *kind = FindPersonnelKind(caption);
        QVERIFY(kind);
        const QString table = QLatin1String(kind->table);
        QVERIFY(world.keepTables({table}));
        TRs_SingleFrm *f = open(caption);
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), caption);
        QCOMPARE(f->Kind(), kind);
        QVERIFY(f->cbDate->isChecked());
        setRange(*f, QDate(2026, 3, 1), QDate(2026, 3, 31));

        QVERIFY(add(*f, QStringLiteral("9001"), March15, [&](TfrmPersonnelEdit &edit) {
            if (edit.RzDBLookupCombo_Gx)
                QVERIFY(edit.RzDBLookupCombo_Gx->SetKeyValue(1));
        }));
        const QString row = QStringLiteral(" from ") + table +
                            QStringLiteral(" where F_empID = 9001 and RQ = ") + date(March15);
        QCOMPARE(count(QStringLiteral("select count(*)") + row), 1);
        QCOMPARE(QueryValue(QStringLiteral("select F_code") + row).toString(),
                 QStringLiteral("T9001"));
        if (kind->wage == TWageKind::None && table != QLatin1String("Oa_Linkman")) {
            QCOMPARE(QueryValue(QStringLiteral("select F_name") + row).toString(),
                     QStringLiteral("测试员工"));
            QCOMPARE(QueryValue(QStringLiteral("select F_dept") + row).toString(),
                     QStringLiteral("测试二部"));
        }
        if (table == QLatin1String("Oa_Linkman"))
            QCOMPARE(QueryValue(QStringLiteral("select F_Name") + row).toString(),
                     QStringLiteral("O'Neil"));
        if (table.startsWith(QLatin1String("Rs_")))
            QCOMPARE(count(QStringLiteral("select F_useFlag") + row), 1);
        if (table.startsWith(QLatin1String("Oa_")))
            QCOMPARE(QueryValue(QStringLiteral("select F_BillDate") + row).toDate(),
                     Data().GetServerDate());
        QCOMPARE(listed(*f, 9001), 1);

        // The department above the employee's, the employee and no other department.
        QVERIFY(f->SelectDepartment(QStringLiteral("9001")));
        QCOMPARE(listed(*f, 9001), 1);
        QVERIFY(f->SelectEmployee(QStringLiteral("9001")));
        QCOMPARE(listed(*f, 9001), 1);
        QVERIFY(f->SelectDepartment(QStringLiteral("9003")));
        QCOMPARE(listed(*f, 9001), 0);
        QVERIFY(f->SelectEmployee(QStringLiteral("9002")));
        QCOMPARE(listed(*f, 9001), 0);

        // Outside the range it is hidden; the date box unticked shows it.
        QVERIFY(f->SelectEmployee(QStringLiteral("9001")));
        setRange(*f, QDate(2026, 4, 1), QDate(2026, 4, 30));
        QCOMPARE(listed(*f, 9001), 0);
        setRange(*f, QDate(2026, 2, 1), QDate(2026, 3, 14));
        QCOMPARE(listed(*f, 9001), 0);
        f->cbDate->setChecked(false);
        QCOMPARE(listed(*f, 9001), 1);
        f->cbDate->setChecked(true);
        QCOMPARE(listed(*f, 9001), 0);
    }

    void theProcessBringsItsPriceAndTheWageIsCalculated_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("process");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("basePay");
        QTest::addColumn<double>("wage");
        // 焊接 at 2.5 a piece; 技工 at 22 a day.
        QTest::newRow("piece-rate") << "计件工资" << 3 << 2.5 << 37.0 << 0.0 << 92.5;
        QTest::newRow("piece-rate with base pay")
            << "计件工资" << 5 << 6.0 << 3.0 << 100.0 << 118.0;
        QTest::newRow("time-rate") << "计时工资" << 2 << 22.0 << 21.5 << 0.0 << 473.0;
        QTest::newRow("time-rate with base pay") << "计时工资" << 1 << 15.0 << 2.0 << 0.01 << 30.01;
    }

    void theProcessBringsItsPriceAndTheWageIsCalculated()
    {
        QFETCH(QString, caption);
        QFETCH(int, process);
        QFETCH(double, price);
        QFETCH(double, quantity);
        QFETCH(double, basePay);
        QFETCH(double, wage);
        const TPersonnelKind *kind = FindPersonnelKind(caption);
        QVERIFY(world.keepTables({QLatin1String(kind->table)}));
        TRs_SingleFrm *f = open(caption);
        QVERIFY(f);
        setRange(*f, QDate(2026, 3, 1), QDate(2026, 3, 31));
        QVERIFY(add(*f, QStringLiteral("9001"), March15, [&](TfrmPersonnelEdit &edit) {
            TClientDataSet &ds = *edit.EditDataSet;
            for (const char *name : {"F_DJ", "F_SL", "F_JBGZ"})
                QCOMPARE(ds.FieldByName(QLatin1String(name))->AsFloat(), 0.0);
            QCOMPARE(ds.FieldByName(QStringLiteral("YG_Name"))->AsString(),
                     QStringLiteral("测试员工"));
            QVERIFY(edit.RzDBLookupCombo_Gx->SetKeyValue(process));
            QCOMPARE(ds.FieldByName(QStringLiteral("F_DJ"))->AsFloat(), price);
            ds.FieldByName(QStringLiteral("F_SL"))->SetAsFloat(quantity);
            ds.FieldByName(QStringLiteral("F_JBGZ"))->SetAsFloat(basePay);
            QCOMPARE(ds.FieldByName(QStringLiteral("JE"))->AsFloat(), wage);
        }));
        const QString row = QStringLiteral(" from ") + QLatin1String(kind->table) +
                            QStringLiteral(" where F_empID = 9001");
        QCOMPARE(QueryValue(QStringLiteral("select F_DJ") + row).toDouble(), price);
        QCOMPARE(QueryValue(QStringLiteral("select F_GxID") + row).toInt(), process);
        // Read back from the server, the list shows the same wage and the process's name.
        f->SelectEmployee(QStringLiteral("9001"));
        QCOMPARE(listed(*f, 9001), 1);
        QVERIFY(f->ListDataSet->Locate(QStringLiteral("F_empID"), 9001));
        QCOMPARE(f->ListDataSet->FieldByName(QStringLiteral("JE"))->AsFloat(), wage);
        QCOMPARE(f->ListDataSet->FieldByName(QStringLiteral("Gx_Name"))->AsString(),
                 QueryValue(QStringLiteral("select F_Name from ") +
                            (kind->wage == TWageKind::PieceRate ? QStringLiteral("Gz_GXu")
                                                                : QStringLiteral("Gz_GongZ")) +
                            QStringLiteral(" where id = ") + QString::number(process))
                     .toString());
    }

    // A leave starts at 9:00 and ends at 17:30 of the day it is entered. A leave running
    // into the next month belongs to the month of its record date: the list finds it there
    // and not in the month it ends in.
    void aLeaveAcrossTheMonthEndBelongsToItsRecordDate()
    {
        QVERIFY(world.keepTables({QStringLiteral("Oa_Leave")}));
        TRs_SingleFrm *f = open(QStringLiteral("请假管理"));
        QVERIFY(f);
        setRange(*f, QDate(2026, 3, 1), QDate(2026, 3, 31));
        const QDate today = Data().GetServerDate();
        QVERIFY(add(*f, QStringLiteral("9001"), QDate(2026, 3, 30), [&](TfrmPersonnelEdit &edit) {
            TClientDataSet &ds = *edit.EditDataSet;
            QCOMPARE(ds.FieldByName(QStringLiteral("F_StartDate"))->AsDateTime(),
                     QDateTime(today, QTime(9, 0)));
            QCOMPARE(ds.FieldByName(QStringLiteral("F_EndDate"))->AsDateTime(),
                     QDateTime(today, QTime(17, 30)));
            ds.FieldByName(QStringLiteral("F_StartDate"))
                ->SetAsDateTime(QDateTime(QDate(2026, 3, 30), QTime(9, 0)));
            ds.FieldByName(QStringLiteral("F_EndDate"))
                ->SetAsDateTime(QDateTime(QDate(2026, 4, 2), QTime(17, 30)));
            ds.FieldByName(QStringLiteral("F_Hours"))->SetAsFloat(34);
        }));
        QCOMPARE(QueryValue(QStringLiteral("select F_EndDate from Oa_Leave where F_empID = 9001"))
                     .toDateTime(),
                 QDateTime(QDate(2026, 4, 2), QTime(17, 30)));
        QCOMPARE(listed(*f, 9001), 1);
        setRange(*f, QDate(2026, 4, 1), QDate(2026, 4, 30));
        QCOMPARE(listed(*f, 9001), 0);
    }

    // A record without an employee would never be listed: it is refused, and nothing is
    // stored.
    void aRecordNeedsAnEmployee()
    {
        QVERIFY(world.keepTables({QStringLiteral("Rs_Contract")}));
        TRs_SingleFrm *f = open(QStringLiteral("员工合同管理"));
        QVERIFY(f);
        const int before = count(QStringLiteral("select count(*) from Rs_Contract"));
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmPersonnelEdit>([&](TfrmPersonnelEdit &edit) {
            edit.EditDataSet->FieldByName(QStringLiteral("F_HTtype"))
                ->SetAsString(QStringLiteral("固定期限"));
            edit.btnOk_New->click();
            QVERIFY(!edit.Saved);
            edit.btnCancel_New->click();
        });
        f->aNew->trigger();
        QVERIFY(ran);
        QVERIFY(boxes.Count() >= 1);
        QVERIFY(boxes.Last().Text.contains(QStringLiteral("员工")));
        QCOMPARE(count(QStringLiteral("select count(*) from Rs_Contract")), before);
    }

    // The employee button opens the employee register as a picker; the chosen employee's
    // code, name and department go into the record.
    void theEmployeeButtonPicksFromTheRegister()
    {
        TRs_SingleFrm *f = open(QStringLiteral("员工合同管理"));
        QVERIFY(f);
        QStringList copied;
        auto ran = whenModal<TfrmPersonnelEdit>([&](TfrmPersonnelEdit &edit) {
            auto picked = whenModal<TfrmEemployee>([](TfrmEemployee &picker) {
                QVERIFY(picker.ListDataSet->Locate(QStringLiteral("ID"), 9001));
                picker.btnSelectExit->click();
            });
            edit.RzButtonEdit_Emp->ButtonClick();
            QVERIFY(picked);
            TClientDataSet &ds = *edit.EditDataSet;
            for (const char *field : {"F_empID", "F_code", "F_name", "F_dept"})
                copied << ds.FieldByName(QLatin1String(field))->AsString();
            edit.btnCancel_New->click();
        });
        f->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(copied, (QStringList{QStringLiteral("9001"), QStringLiteral("T9001"),
                                      QStringLiteral("测试员工"), QStringLiteral("测试二部")}));
    }

    // Each personnel menu item opens the one list on its own kind; another kind replaces it.
    void theMenuOpensEachKind_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::newRow("mnuYght") << "mnuYght"
                                 << "员工合同管理";
        QTest::newRow("mnuYgpx") << "mnuYgpx"
                                 << "员工培训管理";
        QTest::newRow("mnuYgkp") << "mnuYgkp"
                                 << "员工考评管理";
        QTest::newRow("mnuYgdd") << "mnuYgdd"
                                 << "员工调动管理";
        QTest::newRow("mnuYgjc") << "mnuYgjc"
                                 << "员工奖惩管理";
        QTest::newRow("mnuYgtx") << "mnuYgtx"
                                 << "员工调薪管理";
        const char *const more[][2] = {
            {"mnuYglh", "员工履历管理"},   {"mnuYgzj", "员工证件管理"},
            {"mnuOaLeave", "请假管理"},    {"mnuOaOverTime", "加班管理"},
            {"mnuOaHouse", "宿舍管理"},    {"mnuOaKeys", "钥匙管理"},
            {"mnuOaPass", "人员外出登记"}, {"mnuOaVisit", "来访人员登记"},
            {"mnuOaLinkman", "通讯录"},    {"mnuGzJJGZ", "计件工资"},
            {"mnuGzJSGZ", "计时工资"}};
        for (const auto &row : more)
            QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromUtf8(row[1]);
    }

    void theMenuOpensEachKind()
    {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        QPointer<TRs_SingleFrm> other =
            open(caption == QStringLiteral("通讯录") ? QStringLiteral("员工合同管理")
                                                     : QStringLiteral("通讯录"));
        QVERIFY(other);
        main->Item(item)->trigger();
        form = qobject_cast<TRs_SingleFrm *>(
            GlobalObj().MDIWindows.FindForm(QStringLiteral("Rs_SingleFrm")));
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), caption);
        QCOMPARE(form->Kind(), FindPersonnelKind(caption));
        QVERIFY(form->ListDataSet && form->ListDataSet->Active());
        QTRY_VERIFY(!other);
    }
};

QTEST_MAIN(TestPersonnel)
#include "tst_personnel.moc"
