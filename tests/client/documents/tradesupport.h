// What the purchase and sales document tests share: a registered type opened as a new
// document, its header and lines filled as a clerk would, and its stock ledger rows beside
// its lines.
#pragma once

#include "client/common/sqltext.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdj.h"
#include "client/forms/mdiwindows.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"

#include <QStringList>
#include <QTest>

namespace tradesupport {

// A new document of the registered class, shown.
inline TfrmComDj *openNew(const QString &className)
{
    auto *form = qobject_cast<TfrmComDj *>(TFormRegistry::Create(className));
    if (!form)
        return nullptr;
    form->FOpenMode = QStringLiteral("A");
    form->show();
    docsupport::flush();
    return form;
}

inline QString goodsCode(int goods)
{
    return QueryValue(QStringLiteral("select BH from HP where ID = %1").arg(goods)).toString();
}

// Sets the header field when the header has it.
inline void setHeader(TfrmComDj *form, const char *field, const QVariant &value)
{
    TClientDataSet &header = *form->ZbDataSet();
    if (TField *found = header.FindField(QLatin1String(field))) {
        if (!(header.State() == dsEdit || header.State() == dsInsert))
            header.Edit();
        found->SetValue(value);
    }
}

// What every type asks of its header: the first supplier or customer typed by code, the
// first warehouse, a salesman and an invoice type where none is chosen yet.
inline void fillHeader(TfrmComDj *form)
{
    if (const TField *invoice = form->ZbDataSet()->FindField(QStringLiteral("FPLX"));
        invoice && invoice->AsInteger() == 0)
        setHeader(form, "FPLX", 1);
    setHeader(form, "aGYSBH", QueryValue(QStringLiteral("select BH from GYS where ID = 1")));
    setHeader(form, "aKHBH", QueryValue(QStringLiteral("select BH from KH where ID = 1")));
    setHeader(form, "CKID", 1);
    setHeader(form, "YWY", QStringLiteral("张三"));
}

struct TLine
{
    int Goods;
    double Quantity;
    double Price;
};

// Types the lines into the blank lines from the first.
inline void enterLines(TfrmComDj *form, std::initializer_list<TLine> lines)
{
    TClientDataSet &mx = *form->MxDataSet();
    mx.First();
    for (const TLine &line : lines) {
        mx.Edit();
        mx.FieldByName(QStringLiteral("aBH"))->SetAsString(goodsCode(line.Goods));
        mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(line.Quantity);
        mx.FieldByName(QStringLiteral("DJ"))->SetAsFloat(line.Price);
        mx.Post();
        mx.Next();
    }
}

inline QString billNo(TfrmComDj *form)
{
    return form->ZbDataSet()->FieldByName(QStringLiteral("DJBH"))->AsString();
}

// A new document of a type as it opens: caption, tables, object name, the number's prefix, and
// every header control visible and bound to a field of the header (at least three).
inline void checkNewDocument(TfrmComDj *form, const QString &caption, const QString &table,
                             const QString &objectName, const QString &prefix)
{
    QCOMPARE(form->windowTitle(), caption);
    QCOMPARE(form->strZbMainTable, table);
    QCOMPARE(form->FObjectName, objectName);
    QVERIFY(billNo(form).startsWith(prefix));
    QCOMPARE(form->ZbDataSet()->State(), dsInsert);
    int bound = 0;
    for (QWidget *control : form->Panel3->findChildren<QWidget *>()) {
        if (auto *fieldControl = dynamic_cast<TFieldControl *>(control)) {
            QVERIFY2(fieldControl->Field(), qPrintable(control->objectName()));
            QVERIFY(control->isVisible());
            ++bound;
        }
    }
    QVERIFY(bound >= 3);
}

// "goods:line:signed quantity:warehouse" of each stock ledger row of the document.
inline QStringList ledgerRows(const QString &number)
{
    QStringList rows;
    TTmpDataSet ledger;
    ledger->SetCommandText(QStringLiteral("select HPID, HH, SL * Flag, CKID from Inv_ItemList "
                                          "where DJBH = %1 order by HH")
                               .arg(QuotedStr(number)));
    ledger->Open();
    for (ledger->First(); !ledger->Eof(); ledger->Next())
        rows << QStringLiteral("%1:%2:%3:%4")
                    .arg(ledger->Fields(0)->AsLargeInt())
                    .arg(ledger->Fields(1)->AsInteger())
                    .arg(ledger->Fields(2)->AsFloat())
                    .arg(ledger->Fields(3)->AsLargeInt());
    return rows;
}

// The same of the stored lines, as the ledger should hold them.
inline QStringList expectedRows(const QString &linesTable, qint64 headerId, int flag,
                                qint64 warehouse)
{
    QStringList rows;
    TTmpDataSet stored;
    stored->SetCommandText(QStringLiteral("select HPID, HH, SL from %1 where ZBID = %2 order by HH")
                               .arg(linesTable)
                               .arg(headerId));
    stored->Open();
    for (stored->First(); !stored->Eof(); stored->Next())
        rows << QStringLiteral("%1:%2:%3:%4")
                    .arg(stored->Fields(0)->AsLargeInt())
                    .arg(stored->Fields(1)->AsInteger())
                    .arg(stored->Fields(2)->AsFloat() * flag)
                    .arg(warehouse);
    return rows;
}

// Audits (or un-audits) through the tool bar, answering the question.
inline void audit(TfrmComDj *form)
{
    TMessageBoxScript answers{mrYes};
    form->aAudit->trigger();
}

inline void unAudit(TfrmComDj *form)
{
    TMessageBoxScript answers{mrYes};
    form->aUnAudit->trigger();
}

} // namespace tradesupport
