// Prices and stock for document lines.
#include "client/documents/lineprices.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/clientdataset.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"

namespace lines {

namespace {

QString ledgerWhere(int databaseKind, qint64 goodsId, QDate upTo, qint64 warehouseId)
{
    return QStringLiteral(" and hpid =") + QString::number(goodsId) +
           QStringLiteral(" and RQ <= ") + SQLDate(databaseKind, upTo) +
           QStringLiteral(" and CKID = ") + QString::number(warehouseId);
}

} // namespace

QString StockQtySql(int databaseKind, qint64 goodsId, QDate upTo, qint64 warehouseId)
{
    return QStringLiteral(" select sum(flag*sl) as qty From Inv_ItemList  where 1=1 ") +
           ledgerWhere(databaseKind, goodsId, upTo, warehouseId);
}

QString StockByGoodsSql(int databaseKind, const QStringList &goodsIds, QDate upTo,
                        qint64 warehouseId)
{
    return QStringLiteral(" select hpid, sum(flag*sl) as qty From Inv_ItemList  where hpid in (") +
           goodsIds.join(QLatin1Char(',')) + QStringLiteral(") and RQ <= ") +
           SQLDate(databaseKind, upTo) + QStringLiteral(" and CKID = ") +
           QString::number(warehouseId) + QStringLiteral(" group by hpid");
}

QString IssuedBeforeSql(int databaseKind, qint64 goodsId, QDate upTo, qint64 warehouseId,
                        const QString &billNo)
{
    QString sql = QStringLiteral(" select sum(sl) From Inv_ItemList  where Billtype in ('LL','XS') "
                                 "and RQ <=") +
                  SQLDate(databaseKind, upTo) + QStringLiteral(" and ckid=") +
                  QString::number(warehouseId) + QStringLiteral(" and hpid=") +
                  QString::number(goodsId);
    if (!billNo.isEmpty())
        sql += QStringLiteral(" and DJBH <") + QuotedStr(billNo);
    return sql;
}

QString ReceiptsSql(int databaseKind, qint64 goodsId, QDate upTo, qint64 warehouseId)
{
    return QStringLiteral(" select sl,dj from Inv_ItemList where BillType in('aExport','CS','KCPD',"
                          "'KCTZ','TL') and RQ <=") +
           SQLDate(databaseKind, upTo) + QStringLiteral(" and ckid=") +
           QString::number(warehouseId) + QStringLiteral(" and hpid=") + QString::number(goodsId) +
           QStringLiteral(" order by rq,id");
}

QString CostPriceSql(int databaseKind, const QString &method, qint64 goodsId, QDate upTo,
                     qint64 warehouseId)
{
    if (method.compare(QLatin1String("LASTCGJJ"), Qt::CaseInsensitive) == 0)
        return QStringLiteral(
                   " select top 1 dj From Inv_ItemList  where BillType='CS'  and hpid =") +
               QString::number(goodsId) + QStringLiteral(" order by rq desc");
    return QStringLiteral(" select sum(sl*dj)/sum(sl) From Inv_ItemList  where flag=1 ") +
           ledgerWhere(databaseKind, goodsId, upTo, warehouseId);
}

QString CustomerPriceColumn(const QString &priceLevel)
{
    const QString level = priceLevel.trimmed();
    if (level == QStringLiteral("最后销售价"))
        return {};
    if (level == QStringLiteral("销售价二"))
        return QStringLiteral("F1");
    if (level == QStringLiteral("销售价三"))
        return QStringLiteral("F2");
    if (level == QStringLiteral("销售价四"))
        return QStringLiteral("F3");
    return QStringLiteral("JJJ");
}

QString LastSalePriceSql(qint64 goodsId, qint64 customerId)
{
    return QStringLiteral(" select M.DJ  from XSKDZB Z, XSKD M where Z.ID = M.ZBID  and M.HPID=") +
           QString::number(goodsId) + QStringLiteral(" and Z.KHID=") + QString::number(customerId) +
           QStringLiteral(" order by Z.DJBH DESC");
}

QString HeaderPriceColumn(const QString &priceLevel)
{
    const QString level = priceLevel.trimmed();
    if (level == QStringLiteral("会员价"))
        return QStringLiteral("JHY");
    if (level == QStringLiteral("VIP价"))
        return QStringLiteral("JVIP");
    if (level == QStringLiteral("零售价"))
        return QStringLiteral("JQJ");
    return QStringLiteral("JJJ");
}

QString GoodsByCodeSql(const QString &code, const QStringList &attributeColumns)
{
    QString sql = QStringLiteral(" select ID,PM,GG,DW,JJ,JJJ,JHY,JVIP,JQJ,HPHSFSID,TypeName");
    for (const QString &column : attributeColumns)
        sql += QLatin1Char(',') + column;
    return sql +
           QStringLiteral(
               " from HP H left join Pub_ItemType P on H.HPLBID=P.ItemType where BH = ") +
           QuotedStr(code);
}

QString GoodsListSql(const QString &itemTypeFrom, const QString &productWhere,
                     const QString &falseLiteral)
{
    return QStringLiteral(" select BH,PM,GG,ZJM  from HP H inner join ") + itemTypeFrom +
           QStringLiteral(" on H.HPLBID=C.ItemType ") + productWhere +
           QStringLiteral(" and h.zt=") + falseLiteral + QStringLiteral(" order by H.BH");
}

QString GoodsListFilter(const QString &typed)
{
    if (typed.isEmpty())
        return {};
    return QStringLiteral("bh like ") + QuotedStr(typed + QLatin1Char('%')) +
           QStringLiteral(" or pm like ") + QuotedStr(typed + QLatin1Char('%')) +
           QStringLiteral(" or zjm like ") + QuotedStr(typed.toUpper() + QLatin1Char('%'));
}

double GetStockQty(qint64 goodsId, QDate upTo, qint64 warehouseId)
{
    return QueryValue(StockQtySql(SessionInfo().DatabaseKind, goodsId, upTo, warehouseId))
        .toDouble();
}

double GetCostPrice(const QString &method, qint64 goodsId, QDate upTo, qint64 warehouseId)
{
    double price =
        QueryValue(CostPriceSql(SessionInfo().DatabaseKind, method, goodsId, upTo, warehouseId))
            .toDouble();
    if (price == 0)
        price =
            QueryValue(QStringLiteral(" select JJ from hp where id=") + QString::number(goodsId))
                .toDouble();
    return RoundTo(price, 2);
}

double GetCustomerPrice(qint64 goodsId, qint64 customerId)
{
    const QString level = QueryValue(QStringLiteral("select PriceLevel from kh where id=") +
                                     QString::number(customerId))
                              .toString();
    QString column = CustomerPriceColumn(level);
    if (column.isEmpty()) {
        TTmpDataSet last;
        last->SetCommandText(LastSalePriceSql(goodsId, customerId));
        last->Open();
        if (!last->IsEmpty())
            return last->Fields(0)->AsFloat();
        column = QStringLiteral("JJJ");
    }
    return QueryValue(QStringLiteral("select ") + column + QStringLiteral(" from hp where id=") +
                      QString::number(goodsId))
        .toDouble();
}

} // namespace lines

namespace lines {

double FifoUnitCost(const QList<TReceipt> &receipts, double issuedBefore, double quantity)
{
    double skip = issuedBefore;
    double wanted = quantity;
    double takenQuantity = 0;
    double takenValue = 0;
    for (const TReceipt &receipt : receipts) {
        double available = receipt.Quantity;
        if (skip > 0) {
            const double used = qMin(skip, available);
            skip -= used;
            available -= used;
        }
        if (available <= 0)
            continue;
        const double take = qMin(available, wanted);
        takenQuantity += take;
        takenValue += take * receipt.Price;
        wanted -= take;
        if (wanted <= 0)
            break;
    }
    // Covered: the taken quantity is the line's; run out: what the receipts had.
    return takenQuantity > 0 ? RoundTo(takenValue / takenQuantity, 2) : 0;
}

} // namespace lines
