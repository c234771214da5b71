#include "client/admin/yearend.h"

#include "client/common/sqltext.h"
#include "client/data/serveraccess.h"

#include <QHash>

#include <cmath>

namespace {

// Full precision: a carried quantity times its price gives back the carried amount.
QString number(double value)
{
    return QString::number(value, 'g', 17);
}

QString jetDate(QDate date)
{
    return QLatin1Char('#') + date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('#');
}

// SX1..SX3 are texts, SX4..SX6 numbers; a null text stays null so that the balance groups as
// it did before.
QString attrValues(const TStockBalance &row)
{
    QStringList values;
    for (int i = 0; i < 6; ++i) {
        const QVariant &v = row.Attrs[size_t(i)];
        if (i < 3)
            values << (v.isNull() ? QStringLiteral("NULL") : QuotedStr(v.toString()));
        else
            values << number(v.toDouble());
    }
    return values.join(QLatin1Char(','));
}

qint64 writtenWarehouse(qint64 warehouse)
{
    return warehouse == 0 ? 1 : warehouse;
}

} // namespace

QStringList CarryForwardStatements(const TCarryForward &plan)
{
    QStringList statements = ClearStatements(plan.ClearTables);

    QList<qint64> warehouses;
    QHash<qint64, QList<const TStockBalance *>> lines;
    for (const TStockBalance &row : plan.Snapshot) {
        if (row.Quantity == 0)
            continue;
        const qint64 warehouse = writtenWarehouse(row.Warehouse);
        if (!lines.contains(warehouse))
            warehouses << warehouse;
        lines[warehouse] << &row;
    }

    const QString date = jetDate(plan.OpeningDate);
    const QString type = QuotedStr(plan.BillType);
    const QString who = QuotedStr(plan.Operator);
    qint64 sequence = 0;
    for (const qint64 warehouse : warehouses) {
        const QString billNo = BillNumber(QStringLiteral("PD"), plan.OpeningDate, ++sequence);
        const QString id = QString::number(BillNoToID(billNo));
        const QString ck = QString::number(warehouse);
        long double total = 0;
        QStringList body;
        int lineNo = 0;
        for (const TStockBalance *row : lines.value(warehouse)) {
            const QString hh = QString::number(++lineNo);
            const QString price = number(row->Amount / row->Quantity);
            const QString attrs = attrValues(*row);
            const QString goods = QString::number(row->Goods);
            total += row->Amount;
            body << QStringLiteral("insert into KCPD(RECID,ZBID,HH,RQ,DJBH,CKID,HPID,SL,DJ,SX1,SX2,"
                                   "SX3,SX4,SX5,SX6) values (") +
                        QuotedStr(id + QLatin1Char('_') + hh) + QLatin1Char(',') + id +
                        QLatin1Char(',') + hh + QLatin1Char(',') + date + QLatin1Char(',') +
                        QuotedStr(billNo) + QLatin1Char(',') + ck + QLatin1Char(',') + goods +
                        QLatin1Char(',') + number(row->Quantity) + QLatin1Char(',') + price +
                        QLatin1Char(',') + attrs + QLatin1Char(')');
            if (plan.PostLedger)
                body << QStringLiteral("insert into inv_itemlist(RQ,BillType,Flag,DJBH,hpid,hh,sl,"
                                       "dj,cbdj,nzk,nsl,je,ckid,SX1,SX2,SX3,SX4,SX5,SX6) values(") +
                            date + QLatin1Char(',') + type + QStringLiteral(",1,") +
                            QuotedStr(billNo) + QLatin1Char(',') + goods + QLatin1Char(',') + hh +
                            QLatin1Char(',') + number(row->Quantity) + QLatin1Char(',') + price +
                            QLatin1Char(',') + price + QStringLiteral(",1,0,") +
                            number(row->Amount) + QLatin1Char(',') + ck + QLatin1Char(',') + attrs +
                            QLatin1Char(')');
        }
        // The header carries the total of its lines, so the document list shows the stock's
        // value rather than 0.
        const double je = std::round(double(total) * 100) / 100;
        statements << QStringLiteral("insert into KCPDZB(ID,DJBH,RQ,CKID,BillType,JE,uFlag,YGID,BZ,"
                                     "CZY,AuditName) values (") +
                          id + QLatin1Char(',') + QuotedStr(billNo) + QLatin1Char(',') + date +
                          QLatin1Char(',') + ck + QLatin1Char(',') + type + QLatin1Char(',') +
                          number(je) + QLatin1Char(',') +
                          QString::number(std::max(1, plan.AuditLevel)) +
                          QStringLiteral(",1,'年末结转',") + who + QLatin1Char(',') + who +
                          QLatin1Char(')');
        statements += body;
    }
    if (sequence > 0)
        statements << QStringLiteral("insert into MaxBillNo(TableName,MaxNo) values (") +
                          QuotedStr(BillCounterName(QStringLiteral("PD"), plan.OpeningDate)) +
                          QLatin1Char(',') + QString::number(sequence + 1) + QLatin1Char(')');
    return statements;
}

QStringList ClearTablesOf(const QStringList &clearList, const QString &classes)
{
    QStringList tables;
    for (const QString &entry : clearList) {
        const qsizetype bar = entry.indexOf(QLatin1Char('|'));
        if (bar > 0 && classes.contains(entry.left(bar)))
            tables << entry.mid(bar + 1);
    }
    return tables;
}

QStringList ClearStatements(const QStringList &tables)
{
    QStringList statements;
    for (const QString &table : tables)
        statements << QStringLiteral(" delete from ") + table;
    return statements;
}
