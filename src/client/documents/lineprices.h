// The prices and stock a document line is filled with: the stock on hand and the weighted
// average cost from the stock ledger, the customer's price level, and the look-ups of a
// goods code. The SQL texts are composed here so that they can be read (and tested) apart
// from the form; the Get... routines run them on the central connection.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace lines {

// " select sum(flag*sl) as qty From Inv_ItemList  where 1=1  and hpid =g and RQ <= d and
// CKID = w": the signed movements of one goods item in one warehouse up to a day.
QString StockQtySql(int databaseKind, qint64 goodsId, QDate upTo, qint64 warehouseId);
// Cost methods: "YDJQPJ" the weighted average of the receipts up to the day, "LASTCGJJ" the
// price of the last purchase receipt.
QString CostPriceSql(int databaseKind, const QString &method, qint64 goodsId, QDate upTo,
                     qint64 warehouseId);
// The goods column a customer price level names ("会员价" is no customer level: those are
// header levels); empty for "最后销售价", which has a query of its own.
QString CustomerPriceColumn(const QString &priceLevel);
QString LastSalePriceSql(qint64 goodsId, qint64 customerId);
// The header price levels of the sales documents: "会员价" JHY, "VIP价" JVIP, "零售价" JQJ,
// anything else the standard sales price JJJ.
QString HeaderPriceColumn(const QString &priceLevel);

// The goods row a typed code fills a line from, with the enabled attribute columns.
QString GoodsByCodeSql(const QString &code, const QStringList &attributeColumns);
// " select BH,PM,GG,ZJM  from HP H inner join <category view> on H.HPLBID=C.ItemType  where
// 1=1  and h.zt=<false> order by H.BH": the active goods of the user's categories.
QString GoodsListSql(const QString &itemTypeFrom, const QString &productWhere,
                     const QString &falseLiteral);
// The look-up box's filter for the typed text: code or name by prefix, mnemonic by the
// upper-cased prefix; empty for empty text.
QString GoodsListFilter(const QString &typed);

// The stock of several goods items (HPID, qty), one row per item that has movements.
QString StockByGoodsSql(int databaseKind, const QStringList &goodsIds, QDate upTo,
                        qint64 warehouseId);
// What issues and deliveries of earlier numbers took of the goods up to the day (all of them
// while the document has no number).
QString IssuedBeforeSql(int databaseKind, qint64 goodsId, QDate upTo, qint64 warehouseId,
                        const QString &billNo);
// The receipts (sl, dj) of the goods up to the day, oldest first.
QString ReceiptsSql(int databaseKind, qint64 goodsId, QDate upTo, qint64 warehouseId);

double GetStockQty(qint64 goodsId, QDate upTo, qint64 warehouseId);
// Rounded to cents; the goods' purchase price JJ while no receipt gives an average.
double GetCostPrice(const QString &method, qint64 goodsId, QDate upTo, qint64 warehouseId);
// The price of the goods for the customer by the customer's price level.
double GetCustomerPrice(qint64 goodsId, qint64 customerId);

} // namespace lines

namespace lines {

// One receipt of the stock ledger as the first-in-first-out cost walks them.
struct TReceipt
{
    double Quantity = 0;
    double Price = 0;
};

// The first-in-first-out unit cost of issuing quantity from the receipts in their order,
// after the quantity issued before has used up the oldest ones: the value taken divided by
// the quantity; when the receipts run out first, by the quantity taken (0 when none was).
// Rounded to cents.
double FifoUnitCost(const QList<TReceipt> &receipts, double issuedBefore, double quantity);

} // namespace lines
