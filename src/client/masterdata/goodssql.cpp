// The SQL texts of the goods list and the goods picker.
#include "client/masterdata/goodssql.h"

#include "client/common/sqltext.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/security/systemfunctionright.h"

namespace goods {

QString KeyLiteral(const QString &key)
{
    bool isNumber = false;
    key.toLongLong(&isNumber);
    return isNumber ? key : QuotedStr(key);
}

QString CategoryCondition(const QString &key)
{
    const QString k = KeyLiteral(key);
    return QStringLiteral(" and  (C.ItemType= ") + k +
           QStringLiteral(" or C.ItemType In( select ItemType from Pub_ItemType where "
                          "ParentCode=") +
           k + QStringLiteral("))");
}

QString SearchCondition(const QString &text, bool nameContains)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    const QString prefix = QuotedStr(t + QLatin1Char('%'));
    const QString name =
        nameContains ? QuotedStr(QLatin1Char('%') + t + QLatin1Char('%')) : prefix;
    // One key set per column, so that each prefix is a range of its index and the name is
    // read from its narrow index rather than from every goods row; the union stays small.
    return QStringLiteral(" and H.ID in (select ID from HP where BH like ") + prefix +
           QStringLiteral(" union select ID from HP where BarCode like ") + prefix +
           QStringLiteral(" union select ID from HP where ZJM like ") +
           QuotedStr(t.toUpper() + QLatin1Char('%')) +
           QStringLiteral(" union select ID from HP where PM like ") + name + QStringLiteral(")");
}

QString ScopeCondition(const QString &itemTypeFrom)
{
    if (itemTypeFrom == TSystemFunctionRight::DefaultItemTypeFrom)
        return {};
    return QStringLiteral(
        " and not (C.ItemType is null and H.HPLBID in (select ItemType from Pub_ItemType))");
}

QString BoolLiteral(int databaseKind, bool value)
{
    if (databaseKind == 0)
        return value ? QStringLiteral("true") : QStringLiteral("false");
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString StockQuery(int databaseKind, const QString &warehouseFrom, const QString &goodsId,
                   QDate upTo)
{
    return QStringLiteral(" select mc,sum(flag*sl) as qty From Inv_ItemList a, ") + warehouseFrom +
           QStringLiteral(" where 1=1 ") + QStringLiteral(" and  a.CKID=C.ID  ") +
           QStringLiteral(" and hpid =") + KeyLiteral(goodsId) + QStringLiteral(" and RQ <= ") +
           SQLDate(databaseKind, upTo) + QStringLiteral(" group by mc ");
}

QString LineText(const TClientDataSet &goods)
{
    QString line;
    for (const char *name : {"ID", "BH", "PM", "GG", "DW", "JJ", "JJJ", "JQJ"}) {
        const TField *field = goods.FindField(QLatin1String(name));
        line += (field ? field->AsString() : QString()) + QLatin1Char('|');
    }
    return line;
}

} // namespace goods
