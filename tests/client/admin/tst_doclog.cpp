// The operation log of the document form and of the login on the demo account set: a stored
// save, audit, un-audit or delete leaves exactly one line naming the document, in the request
// that does the work, and a refused one leaves none.
#include "../documents/docsupport.h"
#include "../documents/tradesupport.h"
#include "client/app/login.h"
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdczl.h"
#include "client/documents/purin.h"
#include "client/forms/globalobj.h"
#include "client/forms/mdiwindows.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"
#include "wire/client.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

using docsupport::flush;

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

} // namespace

class TestDocLog : public docsupport::TDocumentTest<TfrmPurIn>
{
    Q_OBJECT

public:
    TestDocLog()
        : TDocumentTest({QStringLiteral("CGSHZB"), QStringLiteral("CGSH")})
    {}

private:
    // A new receipt of goods 1 (2 pieces at 10) from the first supplier into warehouse 1.
    void newReceipt()
    {
        form = qobject_cast<TfrmPurIn *>(tradesupport::openNew(QStringLiteral("TfrmPurIn")));
        QVERIFY(form);
        tradesupport::fillHeader(form);
        tradesupport::enterLines(form, {{1, 2, 10}});
    }

    QString number() { return header().FieldByName(QStringLiteral("DJBH"))->AsString(); }

    // The lines logged since the case began, oldest first.
    QStringList logged()
    {
        QStringList lines;
        TTmpDataSet tmp;
        tmp->SetCommandText(QStringLiteral("select uName, CZ from AppLog where ID > %1 order by ID")
                                .arg(m_lastLogId));
        tmp->Open();
        for (tmp->First(); !tmp->Eof(); tmp->Next())
            lines << tmp->Fields(0)->AsString() + QLatin1Char(':') + tmp->Fields(1)->AsString();
        return lines;
    }

    QString byUser(const QString &text) { return FuncRight().UserName + QLatin1Char(':') + text; }

    qint64 m_lastLogId = 0;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(startWorld(), qPrintable(world.error())); }
    void cleanupTestCase() { world.stop(); }

    void init()
    {
        beginCase();
        QVERIFY(keepDocuments({QStringLiteral("AppLog")}));
        m_lastLogId =
            QueryValue(QStringLiteral("select iif(isnull(max(ID)), 0, max(ID)) from AppLog"))
                .toLongLong();
    }

    void cleanup()
    {
        FuncRight().Boolean3 = false;
        const QStringList texts = endCase();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    void aSavedDocumentLeavesOneLine()
    {
        newReceipt();
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        QCOMPARE(logged(), QStringList{byUser(QStringLiteral("保存单据 ") + number())});
        // Saved again after a change: one more line.
        lines().Edit();
        lines().FieldByName(QStringLiteral("SL"))->SetAsFloat(3);
        lines().Post();
        form->aSave->trigger();
        QCOMPARE(logged().size(), 2);
    }

    void aRefusedSaveLeavesNone()
    {
        FuncRight().Boolean3 = true;
        newReceipt();
        header().FieldByName(QStringLiteral("aGYSMC"))->SetAsString(QString());
        {
            TMessageBoxScript answers;
            form->aSave->trigger();
            QCOMPARE(answers.Count(), 1);
        }
        QVERIFY(form->IsModified());
        QCOMPARE(logged(), QStringList{});
    }

    void auditAndUnAuditLeaveOneLineEach()
    {
        newReceipt();
        form->aSave->trigger();
        const QString billNo = number();
        {
            TMessageBoxScript answers{mrYes};
            form->aAudit->trigger();
        }
        QCOMPARE(logged(), (QStringList{byUser(QStringLiteral("保存单据 ") + billNo),
                                        byUser(QStringLiteral("审核单据 ") + billNo)}));
        {
            TMessageBoxScript answers{mrYes};
            form->aUnAudit->trigger();
        }
        QCOMPARE(
            count(
                QStringLiteral("select uFlag from CGSHZB where DJBH = %1").arg(QuotedStr(billNo))),
            0);
        QCOMPARE(logged().last(), byUser(QStringLiteral("消审单据 ") + billNo));
        QCOMPARE(logged().size(), 3);
    }

    void aRefusedAuditLeavesNoLine()
    {
        newReceipt();
        form->aSave->trigger();
        const QString billNo = number();
        auto other = world.otherClient();
        QCOMPARE(other->execute(QStringLiteral("update CGSHZB set uFlag = 1 where DJBH = %1")
                                    .arg(QuotedStr(billNo))),
                 qint64(1));
        {
            TMessageBoxScript answers{mrYes};
            form->aAudit->trigger();
            QVERIFY(answers.Count() >= 1);
        }
        QCOMPARE(logged(), QStringList{byUser(QStringLiteral("保存单据 ") + billNo)});
    }

    void aDeletedDocumentLeavesOneLine()
    {
        newReceipt();
        form->aSave->trigger();
        const QString billNo = number();
        {
            TMessageBoxScript answers{mrYes};
            form->aDel->trigger();
        }
        QCOMPARE(count(QStringLiteral("select count(*) from CGSHZB where DJBH = %1")
                           .arg(QuotedStr(billNo))),
                 0);
        QCOMPARE(logged().last(), byUser(QStringLiteral("删除单据 ") + billNo));
        QCOMPARE(logged().size(), 2);
    }

    void aDeleteFromTheListLeavesOneLineAndARefusedOneNone()
    {
        newReceipt();
        form->aSave->trigger();
        const QString billNo = number();
        const qint64 id = header().FieldByName(QStringLiteral("ID"))->AsLargeInt();
        docsupport::closeDocument(form);
        Data().Cgshzb().Close();
        const qint64 audited =
            QueryValue(QStringLiteral("select top 1 ID from CGSHZB where uFlag > 0")).toLongLong();
        QVERIFY(audited > 0);

        QPointer<TfrmComDczb> list(
            qobject_cast<TfrmComDczb *>(TFormRegistry::Create(QStringLiteral("TfrmPurInWork"))));
        QVERIFY(list);
        list->show();
        list->CheckBox1->setChecked(false);
        flush();
        TClientDataSet &rows = *list->ListDataSet;
        QVERIFY(rows.Locate(QStringLiteral("ID"), audited));
        {
            TMessageBoxScript answers;
            list->aDel->trigger();
            QCOMPARE(answers.Count(), 1);
        }
        QVERIFY(rows.Locate(QStringLiteral("ID"), id));
        {
            TMessageBoxScript answers{mrYes};
            list->aDel->trigger();
        }
        QCOMPARE(count(QStringLiteral("select count(*) from CGSHZB where ID = %1").arg(id)), 0);
        QCOMPARE(logged(), (QStringList{byUser(QStringLiteral("保存单据 ") + billNo),
                                        byUser(QStringLiteral("删除单据 ") + billNo)}));
        list->Close();
        flush();
        if (list)
            delete list.data();
    }

    void aLoginLeavesOneLine()
    {
        QVERIFY(world.connect(vztest::Reach::Server));
        SessionInfo().AccountNo = QStringLiteral("001");
        FuncRight() = TSystemFunctionRight();
        FuncRight().SetDataSets(&Data().Tmp(), &Data().Tmpf(), &Data().Tmpl());
        {
            std::unique_ptr<TfrmLogin> dialog(CreateForm<TfrmLogin>());
            QVERIFY(dialog->MayShow());
            dialog->show();
            dialog->SetCodeText(QStringLiteral("CG01"));
            dialog->edtPassword->clear();
            dialog->btnOK->click();
            QCOMPARE(dialog->ModalResult(), mrOk);
        }
        QCOMPARE(logged(), QStringList{byUser(QStringLiteral("登录系统"))});
        QVERIFY(!FuncRight().UserName.isEmpty());
        QVERIFY(world.connect());
        QVERIFY2(world.login(QStringLiteral("SYS")), qPrintable(world.error()));
    }
};

QTEST_MAIN(TestDocLog)
#include "tst_doclog.moc"
