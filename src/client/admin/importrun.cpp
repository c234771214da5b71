#include "client/admin/importrun.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"

#include <algorithm>

void LoadImportNames(TImportNames &names)
{
    for (int k = 0; k < TImportNames::KindCount; ++k) {
        const auto kind = TImportNames::Kind(k);
        TTmpDataSet tmp;
        tmp->SetPacketRecords(-1);
        tmp->SetCommandText(TImportNames::LoadSQL(kind));
        tmp->Open();
        for (tmp->First(); !tmp->Eof(); tmp->Next())
            names.Add(kind, tmp->Fields(0)->AsString(), tmp->Fields(1)->AsString());
        tmp->Close();
    }
}

void LoadColumnLimits(const QString &table, QList<TImportField> &fields)
{
    TTmpDataSet tmp;
    tmp->SetCommandText(QStringLiteral("select * from ") + table + QStringLiteral(" where 1=0"));
    tmp->Open();
    for (TImportField &field : fields) {
        if (const TField *column = tmp->FindField(field.Code)) {
            if (column->DataType() == ftString || column->DataType() == ftWideString)
                field.MaxBytes = column->Size();
            field.Required = column->Required();
        }
    }
    tmp->Close();
}

QStringList GoodsImportFollowing(const QList<TImportedGoods> &stocked, QDate date,
                                 QString *counterSql)
{
    QStringList statements{QStringLiteral(
        "update hp set HPHSFFID=1,HPHSFSID =1,ZT=False,IsMaterial=True,IsProduct=True")};
    counterSql->clear();
    if (stocked.isEmpty())
        return statements;
    const QString key = QuotedStr(BillCounterName(QStringLiteral("PD"), date));
    TTmpDataSet tmp;
    tmp->SetCommandText(QStringLiteral("select MaxNo from MaxBillNo where TableName=") + key);
    tmp->Open();
    const bool none = tmp->IsEmpty(); // no counter for the month yet
    const qint64 stored = none ? 0 : tmp->Fields(0)->AsLargeInt();
    tmp->Close();
    const qint64 first = std::max<qint64>(1, stored);
    int used = 0;
    statements += OpeningStockStatements(stocked, date, first, &used);
    const QString next = QString::number(first + used);
    *counterSql = none ? QStringLiteral("insert into MaxBillNo(TableName,MaxNo) values (") + key +
                             QLatin1Char(',') + next + QLatin1Char(')')
                       : QStringLiteral("update MaxBillNo set MaxNo = ") + next +
                             QStringLiteral(" where TableName = ") + key +
                             QStringLiteral(" and MaxNo = ") + QString::number(stored);
    return statements;
}

TAtomicResult SendImport(const QString &table, const QStringList &statements,
                         const QStringList &following, const QString &counterSql)
{
    TAtomicRequest request(&Data().cn());
    request.Execute(QStringLiteral("Delete  from ") + table);
    for (const QString &part : JoinIntoParts(statements + following))
        request.Execute(part);
    if (!counterSql.isEmpty())
        request.Execute(counterSql, 1);
    return request.Send();
}
