#include "client/reports/reportsql.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/forms/globalobj.h"

#include <QRegularExpression>

namespace {

QString dateText(QDate date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

// The attribute columns as constants, for rows that carry no goods line.
QString attrNulls(const QString &attrs)
{
    QString nulls;
    for (const QString &raw : attrs.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed();
        const bool text = name.compare(QLatin1String("SX1"), Qt::CaseInsensitive) == 0 ||
                          name.compare(QLatin1String("SX2"), Qt::CaseInsensitive) == 0 ||
                          name.compare(QLatin1String("SX3"), Qt::CaseInsensitive) == 0;
        nulls += (text ? QStringLiteral(",'' as ") : QStringLiteral(",0 as ")) + name;
    }
    return nulls;
}

QString qualifiedAttrs(const QString &attrs, const QString &alias)
{
    QString text;
    for (const QString &raw : attrs.split(QLatin1Char(','), Qt::SkipEmptyParts))
        text += QLatin1Char(',') + alias + QLatin1Char('.') + raw.trimmed();
    return text;
}

} // namespace

TReportContext CurrentReportContext()
{
    TReportContext ctx;
    ctx.DatabaseKind = SessionInfo().DatabaseKind;
    ctx.Status = FuncRight().AuditNum;
    ctx.Attrs = FuncRight().AttrColumns;
    ctx.DeptFrom = FuncRight().DeptFrom;
    ctx.WarehouseFrom = FuncRight().WarehouseFrom;
    return ctx;
}

const QList<QPair<QString, QString>> &MovementTypeNames()
{
    static const QList<QPair<QString, QString>> names = {
        {QStringLiteral("CS"), QStringLiteral("采购收货")},
        {QStringLiteral("CT"), QStringLiteral("采购退货")},
        {QStringLiteral("XS"), QStringLiteral("销售出库")},
        {QStringLiteral("XT"), QStringLiteral("销售退货")},
        {QStringLiteral("CKDB"), QStringLiteral("仓库调拨")},
        {QStringLiteral("KCPD"), QStringLiteral("盘亏盘盈")},
        {QStringLiteral("KCTZ"), QStringLiteral("库存调整")},
        {QStringLiteral("LL"), QStringLiteral("领料")},
        {QStringLiteral("TL"), QStringLiteral("退料")},
        {QStringLiteral("CJ"), QStringLiteral("产品进仓")},
        {QStringLiteral("QB"), QStringLiteral("库存变动")},
        {QStringLiteral("PS"), QStringLiteral("零售")},
        {QStringLiteral("HPZZ"), QStringLiteral("货品组装")},
        {QStringLiteral("HPCF"), QStringLiteral("货品拆分")},
    };
    return names;
}

QString MovementTypeExpr(int databaseKind)
{
    const auto &names = MovementTypeNames();
    if (databaseKind != 0) {
        QString text = QStringLiteral("CASE BillType");
        for (const auto &[code, name] : names)
            text += QStringLiteral(" WHEN '") + code + QStringLiteral("' THEN '") + name +
                    QLatin1Char('\'');
        return text + QStringLiteral(" END");
    }
    // Jet's switch() takes a limited number of arguments: the second half nests.
    auto arms = [&](qsizetype first, qsizetype last) {
        QStringList parts;
        for (qsizetype i = first; i < last; ++i)
            parts << QStringLiteral("BillType='") + names[i].first + QStringLiteral("','") +
                         names[i].second + QLatin1Char('\'');
        return parts.join(QLatin1Char(','));
    };
    const qsizetype half = names.size() / 2;
    return QStringLiteral("switch(") + arms(0, half) + QStringLiteral(",true,switch(") +
           arms(half, names.size()) + QStringLiteral("))");
}

bool IsKeyList(const QString &key)
{
    static const QRegularExpression plain(QStringLiteral("^\\s*-?\\d+\\s*$"));
    static const QRegularExpression list(
        QStringLiteral("^\\s*\\(\\s*-?\\d+\\s*(,\\s*-?\\d+\\s*)*\\)\\s*$"));
    return plain.match(key).hasMatch() || list.match(key).hasMatch();
}

QString WarehouseKeyCondition(const QString &keyList)
{
    if (!IsKeyList(keyList))
        return {};
    const QString key = keyList.trimmed();
    return key.startsWith(QLatin1Char('(')) ? QStringLiteral(" and C.Id in ") + key
                                            : QStringLiteral(" and C.Id in (") + key + ')';
}

QString PartnerKeyCondition(const QString &key)
{
    if (!IsKeyList(key))
        return {};
    const QString trimmed = key.trimmed();
    return trimmed.contains(QLatin1Char('(')) ? QStringLiteral(" and K.Id in ") + trimmed
                                              : QStringLiteral(" and K.Id = ") + trimmed;
}

QString MemberKeyCondition(const QString &keyList)
{
    if (!IsKeyList(keyList))
        return {};
    const QString key = keyList.trimmed();
    return key.startsWith(QLatin1Char('(')) ? QStringLiteral(" and V.Id in ") + key
                                            : QStringLiteral(" and V.Id in (") + key + ')';
}

QString PartnerNameCondition(const QString &name)
{
    return QStringLiteral(" and K.MC = ") + QuotedStr(name);
}

QString GoodsCodeCondition(const QString &code)
{
    return QStringLiteral(" and H.BH =") + QuotedStr(code);
}

QString GoodsNameCondition(const QString &namePart)
{
    return QStringLiteral(" and H.PM like ") + QuotedStr(QLatin1Char('%') + namePart + '%');
}

QString MemberCardCondition(const QString &card)
{
    return QStringLiteral(" and P.VIPCardID =") + QuotedStr(card);
}

QString MemberNameCondition(const QString &name)
{
    return QStringLiteral(" and P.VIPName =") + QuotedStr(name);
}

QString EmployeeNameCondition(const QString &name)
{
    return QStringLiteral(" and Y.XM  = ") + QuotedStr(name);
}

QString CategoryCondition(const QString &categoryCode)
{
    return QStringLiteral(" and  (L.ItemType= ") + categoryCode +
           QStringLiteral(" or L.ItemType In( select ItemType from Pub_ItemType where "
                          "ParentCode=") +
           categoryCode + QStringLiteral("))");
}

QString CategoryCodeSQL(const QString &categoryName)
{
    return QStringLiteral("select ItemType from Pub_ItemType where TypeName = ") +
           QuotedStr(categoryName);
}

QString GetInvListSQL(const QString &condition)
{
    return QStringLiteral(
               " select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from "
               "(((Inv_ItemList  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on "
               " H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on "
               "M.YGID=Y.ID  where 1=1 ") +
           condition;
}

QString GetFCKCSQL(const QString &condition)
{
    return QStringLiteral(" select  HPID,CKID,SX1,SX2,SX3,SX4,SX5,SX6, sum(M.SL*Flag) as SL,  "
                          "sum(M.SL*DJ*Flag) as JE  from (") +
           GetInvListSQL(condition) +
           QStringLiteral(") M group by HPID,CKID,SX1,SX2,SX3,SX4,SX5,SX6");
}

QString GetLLTLSQL(const TReportContext &ctx, const QString &condition, int mode)
{
    const QString tail = QStringLiteral(" on Y.BMID = C.ID) left join Pub_ItemType L on "
                                        "H.HPLBID=L.ItemType  where uFlag=") +
                         QString::number(ctx.Status) + condition;
    const QString issues =
        QStringLiteral(" SELECT '领料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, "
                       "d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,D.SL,D.DJ,D.SL*D.DJ "
                       "as JE,M.BZ,TypeName  from ((((llzb M left join LL  D on M.Id=d.ZBID) left "
                       "join  HP H on D.HPID=H.ID) left join YG Y on M.YGID=Y.ID) left join ") +
        ctx.DeptFrom + tail;
    const QString sign = mode == 2 ? QStringLiteral("-") : QString();
    const QString returns =
        QStringLiteral(" SELECT '退料' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,M.JSR, "
                       "d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW,") +
        sign + QStringLiteral("D.SL,D.DJ,") + sign +
        QStringLiteral("D.SL*D.DJ as JE,M.BZ,TypeName  from ((((tlzb M left join TL  D on "
                       "M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join YG Y on "
                       "M.YGID=Y.ID) left join ") +
        ctx.DeptFrom + tail;
    switch (mode) {
    case 0:
        return issues;
    case 1:
        return returns;
    default:
        return issues + QStringLiteral(" union all ") + returns;
    }
}

QString GetCGSHTHSQL(const TReportContext &ctx, const QString &condition, int mode)
{
    const QString attrs = qualifiedAttrs(ctx.Attrs, QStringLiteral("D"));
    const QString tail = QStringLiteral(" where uFlag=") + QString::number(ctx.Status) + condition;
    const QString receipts =
        QStringLiteral(" SELECT '采购收货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as "
                       "GYSBH,K.MC as "
                       "GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,SL,DJ,SL*DJ*D.NZK*(1+NSL/100) as "
                       "JE,D.NZK,D.NSl") +
        attrs +
        QStringLiteral(" from ((((CGSHZB M left join  CGSH D on M.ID = D.ZBID) left join GYS K "
                       "on K.ID = M.GYSID)  left join YG Y on M.YGID=Y.ID) left join  HP H on "
                       "D.HPID=H.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType") +
        tail;
    const QString sign = mode == 2 ? QStringLiteral("-") : QString();
    const QString returns =
        QStringLiteral(" SELECT '采购退货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as "
                       "GYSBH,K.MC as GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,") +
        sign + QStringLiteral("SL,DJ,") + sign +
        QStringLiteral(" SL*DJ*D.NZK*(1+NSL/100) as JE,D.NZK,D.NSl") + attrs +
        QStringLiteral(" from ((((CGTHZB M left join  CGTH D on M.ID = D.ZBID) left join GYS K "
                       "on K.ID = M.GYSID) left join YG Y on M.YGID=Y.ID) left join  HP H on "
                       "D.HPID=H.ID) left join Pub_ItemType L on H.HPLBID=L.ItemType") +
        tail;
    switch (mode) {
    case 0:
        return receipts;
    case 1:
        return returns;
    default:
        return receipts + QStringLiteral(" union all ") + returns;
    }
}

QString GetXjyhSQL(const TReportContext &ctx, int account, QDate to, QDate from)
{
    static const char *const selects[] = {
        "select '采购收货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, XFJE as JEB, JE as "
        "JYJE from CGSHZB M where uFlag = 1 and XFJE <> 0 ",
        "select '采购付款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, FKJE as JEB, JE as "
        "JYJE from CGFKZB M where uFlag = 1 ",
        "select '采购退货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, -XFJE as JEB, JE as "
        "JYJE from CGTHZB M where  uFlag=1 and XFJE <> 0 ",
        "select '销售出库' as LX, ZHID,SFKFSID, RQ, ID, DJBH, XSJE as JEA, 0.000 as JEB, JE as "
        "JYJE  from XSKDZB M where  uFlag = 1 and XSJE <> 0 ",
        "select '销售收款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, FKJE as JEA, 0.000 as JEB, JE as "
        "JYJE  from XSSKZB M where   uFlag = 1 ",
        "select '销售退货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, -XSJE as JEA, 0.000 as JEB, JE as "
        "JYJE  from XSTHZB M where  uFlag = 1 and XSJE <> 0 ",
        "select '费用开支' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, JE as JEB, JE as "
        "JYJE from FYKZZB M   where  uFlag = 1 ",
        "select '其它收入' as LX, ZHID,SFKFSID, RQ, ID, DJBH, JE as JEA, 0.000 as JEB, JE as "
        "JYJE from QTSRZB M where  uFlag = 1 ",
        "select '帐户转入' as LX, ZRZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, JE as JEA, "
        "0.000 as JEB, JE as JYJE  from YHCKQK M where 1=1 ",
        "select '帐户转出' as LX, ZCZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, 0.000 as JEA, "
        "JE as JEB, JE as JYJE from YHCKQK M where 1=1 ",
    };
    QString condition = from.isNull()
                            ? QStringLiteral(" and RQ <= ") + SQLDate(ctx.DatabaseKind, to)
                            : SQLDateRange(ctx.DatabaseKind, true, from, to);
    if (account > 0)
        condition += QStringLiteral(" and ZHID = ") + QString::number(account);
    QStringList parts;
    for (const char *select : selects)
        parts << QString::fromUtf8(select) + condition;
    return parts.join(QStringLiteral(" union all "));
}

QString GetSzSQL(const TReportContext &ctx, int category, QDate to, QDate from)
{
    QString condition = SQLDateRange(ctx.DatabaseKind, true, from, to);
    condition.replace(QStringLiteral("M."), QStringLiteral("Z."));
    if (category > 0)
        condition += QStringLiteral(" and M.SRZCLBID = ") + QString::number(category);
    const QString status = QString::number(ctx.Status);
    return QStringLiteral(" select '费用开支' as LX, JSR,Z.RQ, Z.ID as ZBID, Z.DJBH, "
                          "M.SRZCLBID,M.ZY as ZYA, '' as ZYB,G.MC AS Vender, M.JE as JEA, 0.00000 "
                          "as JEB  from (FYKZZB Z left join  FYKZ M on M.ZBID = Z.ID) left join "
                          "GYS G on Z.GYSID=G.ID where  uFlag= ") +
           status + condition +
           QStringLiteral(" union all  select '其它收入' as LX,JSR,Z.RQ,Z.ID as ZBID, Z.DJBH, "
                          "M.SRZCLBID,'' as ZYA,M.ZY as ZYB,K.MC AS Vender, 0.00000 as JEA, M.JE "
                          "as JEB  from (QTSRZB Z left join QTSR M on M.ZBID = Z.ID) left join KH "
                          "K on Z.KHID=K.ID where  uFlag=") +
           status + condition;
}

QString StockLedgerSQL(const TReportContext &ctx, const QString &panel, QDate from, QDate to,
                       bool movementsOnly)
{
    const int kind = ctx.DatabaseKind;
    const QString nulls = attrNulls(ctx.Attrs);
    const QString upTo = panel + SQLDateRange(kind, false, from, to);
    const QString balance = SQLIif(kind, QStringLiteral("sum(sl*flag)=0"), QStringLiteral("0"),
                                   QStringLiteral("sum(sl*cbdj*flag)/sum(sl*flag)"));
    const QString zeros = QStringLiteral("0 as SLB,0 as DJB,0 as JEB,0 as SLC,0 as DJC,0 as JEC,");

    const QString inner =
        QStringLiteral("select a.*, (select sum(sl*flag) from Inv_ItemList where hpid=a.hpid "
                       "and rq<=a.rq) as SLD, (select sum(sl*cbdj*flag) from Inv_ItemList where "
                       "hpid=a.hpid and rq<=a.rq) as JED from (") +
        GetInvListSQL(panel + SQLDateRange(kind, true, from, to)) + QStringLiteral(") a");
    auto column = [&](const QString &flag, const QString &value, const QString &name) {
        return QLatin1Char(' ') +
               SQLIif(kind, QStringLiteral("flag = ") + flag, value, QStringLiteral("0")) +
               QStringLiteral("as ") + name + QLatin1Char(',');
    };
    const QString movements =
        (movementsOnly ? QStringLiteral(" select (BH+'_'+PM ) as BHPM")
                       : QStringLiteral("select '' as BHPM")) +
        QStringLiteral(",DJBH as ZBID_BH, RQ, ") +
        (kind == 0 ? QStringLiteral("RQ as RQ_orderby")
                   : QStringLiteral("CAST(RQ AS char(20)) as RQ_orderby")) +
        QStringLiteral(",id,DJ,BH,PM,GG") + ctx.Attrs + QStringLiteral(",DW,TypeName,") +
        MovementTypeExpr(kind) + QStringLiteral(" as LX, 0 as SLA,0 as DJA,0 as JEA,") +
        column(QStringLiteral("1"), QStringLiteral("SL"), QStringLiteral("SLB")) +
        column(QStringLiteral("1"), QStringLiteral("DJ"), QStringLiteral("DJB")) +
        column(QStringLiteral("1"), QStringLiteral("JE"), QStringLiteral("JEB")) +
        column(QStringLiteral("-1"), QStringLiteral("SL"), QStringLiteral("SLC")) +
        column(QStringLiteral("-1"), QStringLiteral("CBDJ"), QStringLiteral("DJC")) +
        column(QStringLiteral("-1"), QStringLiteral("SL*CBDJ"), QStringLiteral("JEC")) +
        QStringLiteral(" SLD,") +
        SQLIif(kind, QStringLiteral("SLD=0"), QStringLiteral("0"), QStringLiteral("JED/SLD")) +
        QLatin1Char(',') +
        SQLIif(kind, QStringLiteral("SLD=0"), QStringLiteral("0"), QStringLiteral("JED")) +
        QStringLiteral(" from (") + inner + QStringLiteral(") b");
    if (movementsOnly)
        return movements + QStringLiteral(" order by BH,RQ,id");

    const QString heading =
        QStringLiteral(" select (H.BH+'_'+PM ) as BHPM,'' as ZBID_BH,'' as RQ,'0000' as "
                       "RQ_orderby,-2 as id, '' as DJ, H.BH,PM,'' as GG ") +
        nulls + QStringLiteral(",'' as DW,'' as TypeName,'' as LX, 0 as SLA,0 as DJA,0 as JEA,") +
        zeros +
        QStringLiteral("0 as SLD,0 as DJD,0 as JED from Inv_ItemList  M , HP H,Pub_ItemType "
                       "L,CK C,YG Y  where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType "
                       "and M.YGID=Y.ID") +
        upTo + QStringLiteral(" and M.RQ <=") + SQLDate(kind, to);
    const QString opening =
        QStringLiteral(" select '' as BHPM,'期初结存' as ZBID_BH,'' as RQ,'0001' as "
                       "RQ_orderby,-1 as id, '' as DJ,BH,PM,'' as GG ") +
        nulls + QStringLiteral(",'' as DW,'' as TypeName,'' as LX, SLA,DJA,JEA,") + zeros +
        QStringLiteral("0 as SLD,0 as DJD,0 as JED from ( select hpid,sum(sl*flag) as "
                       "SLA,sum(sl*cbdj*flag) as JEA,") +
        balance + QStringLiteral(" as DJA  from (") +
        GetInvListSQL(panel + QStringLiteral(" and M.RQ <") + SQLDate(kind, from)) +
        QStringLiteral(") m group by hpid ) a left join hp b on a.hpid=b.id where SLA <> 0");
    const QString closing =
        QStringLiteral(" select '' as BHPM,'期末结存' as ZBID_BH,'' as RQ,'zzzz' as "
                       "RQ_orderby,999999 as id, '' as DJ,BH,PM,'' as GG") +
        nulls + QStringLiteral(",'' as DW,'' as TypeName,'' as LX, 0 as SLA,0 as DJA,0 as JEA,") +
        zeros + QStringLiteral("SLD,DJD,") +
        SQLIif(kind, QStringLiteral("SLD=0"), QStringLiteral("0"), QStringLiteral("JED")) +
        QStringLiteral(" from ( select hpid,sum(sl*flag) as SLD,sum(sl*cbdj*flag) as JED,") +
        balance + QStringLiteral(" as DJD from (") + GetInvListSQL(upTo) +
        QStringLiteral(") m group by hpid ) a left join hp b on a.hpid=b.id ");
    return QStringLiteral("select * from (") + heading + QStringLiteral(" union ") + opening +
           QStringLiteral(" union ") + movements + QStringLiteral(" union ") + closing +
           QStringLiteral(") k  order by BH,RQ_orderby,id");
}

QString GetKcHzSQL(const TReportContext &ctx, const QString &condition, QDate from,
                   bool byWarehouse)
{
    const int kind = ctx.DatabaseKind;
    const QString fromText = dateText(from);
    auto before = [&](const QString &expr) {
        return SQLIif(kind, QStringLiteral("RQ < #") + fromText + '#', expr, QStringLiteral("0"));
    };
    auto during = [&](const QString &flag, const QString &expr) {
        return SQLIif(kind,
                      QStringLiteral("M.Flag = ") + flag + QStringLiteral(" and RQ >= #") +
                          fromText + '#',
                      expr, QStringLiteral("0"));
    };
    const QString extra = ctx.Attrs + (byWarehouse ? QStringLiteral(",CKID,CKMC") : QString());
    const QString j =
        QStringLiteral(" select HPID,BH, PM, GG,DW,TypeName, sum(") +
        before(QStringLiteral("SL * Flag  ")) + QStringLiteral(") as QCJCSL,  sum(") +
        before(QStringLiteral("SL * JJ*Flag  ")) + QStringLiteral(") as QCJCJE,  sum(") +
        during(QStringLiteral("1"), QStringLiteral("SL  ")) + QStringLiteral(") as BQSRSL,  sum(") +
        during(QStringLiteral("1"), QStringLiteral("SL * CBDJ*NZK*(1+NSL/100)  ")) +
        QStringLiteral(") as BQSRJE,  sum(") +
        during(QStringLiteral("-1"), QStringLiteral("SL  ")) +
        QStringLiteral(") as BQFCSL,  sum(") +
        during(QStringLiteral("-1"), QStringLiteral("SL * CBDJ*NZK*(1+NSL/100)")) +
        QStringLiteral(") as BQFCJE,  0.00 as SLD ,  0.00 as JED ") + extra +
        QStringLiteral(" from (") + GetInvListSQL(condition) +
        QStringLiteral(") M group by HPID,BH, PM, GG,DW,TypeName ") + extra;
    const QString h = QStringLiteral(" select BH, PM, GG,DW,TypeName, ") +
                      SQLIsNull(kind, QStringLiteral("J.QCJCSL")) + QStringLiteral("as SLA, ") +
                      SQLIsNull(kind, QStringLiteral("J.QCJCJE")) + QStringLiteral("as JEA, ") +
                      SQLIsNull(kind, QStringLiteral("J.BQSRSL")) + QStringLiteral("as SLB, ") +
                      SQLIsNull(kind, QStringLiteral("J.BQSRJE")) + QStringLiteral("as JEB, ") +
                      SQLIsNull(kind, QStringLiteral("J.BQFCSL")) + QStringLiteral("as SLC, ") +
                      SQLIsNull(kind, QStringLiteral("J.BQFCJE")) + QStringLiteral("as JEC ") +
                      extra + QStringLiteral(" from (") + j + QStringLiteral(") J");
    return QStringLiteral(" select BH, PM, GG,DW,TypeName,SLA,JEA,SLB,JEB,SLC,JEC,(SLA+SLB-SLC) "
                          "as SLD,") +
           SQLIsNull(kind, QStringLiteral("JEA")) + QLatin1Char('+') +
           SQLIsNull(kind, QStringLiteral("JEB")) + QLatin1Char('-') +
           SQLIsNull(kind, QStringLiteral("JEC")) + QStringLiteral(" as JED ") + extra +
           QStringLiteral(" from (") + h +
           QStringLiteral(") H  where SLA <> 0 or SLB <> 0 or SLC <> 0  order by H.BH");
}

QString StockAlarmSQL(const TReportContext &ctx, const QString &panel, TStockAlarm which)
{
    QString choice;
    if (which == TStockAlarm::BelowMinimum)
        choice = QStringLiteral(" and B.Qty <SX ");
    else if (which == TStockAlarm::AboveMaximum)
        choice = QStringLiteral(" and B.Qty >XX ");
    return QStringLiteral(" select H.BH ,H.PM  ,H.GG ,H.DW , XX  ,B.Qty ,SX ") + ctx.Attrs +
           QStringLiteral(" from hp H , (select hpid,sum(SL*Flag) as Qty from Inv_Itemlist group "
                          "by hpid ) as  b where H.id=b.hpid  and SX>0 and (B.Qty >XX or B.Qty "
                          "<SX)") +
           panel + choice + QStringLiteral(" order by H.BH");
}

QString StocktakingDifferenceSQL(const QString &condition)
{
    return QStringLiteral(" select CKMC,TypeName,BH, PM, GG,DW,DJ,SL,DJ*SL AS JE from (") +
           GetInvListSQL(condition) + QStringLiteral(") M where billtype='KCPD' order by BH");
}

QString RecalcIssueAmountsSQL()
{
    return QStringLiteral("update llzb set je = (select sum(sl*dj) from ll where ll.djbh = "
                          "llzb.djbh) where djbh in (select djbh from ll)");
}

QString TStockByWarehouse::WarehousesSQL(const QString &keyList)
{
    const QString key = keyList.trimmed();
    if (!IsKeyList(key))
        return QStringLiteral("select id,mc from ck order by id ");
    return QStringLiteral("select id,mc from ck where id in") +
           (key.startsWith(QLatin1Char('(')) ? key : QLatin1Char('(') + key + QLatin1Char(')')) +
           QStringLiteral(" order by id ");
}

QString TStockByWarehouse::WorkTableName(const QString &userCode)
{
    return QStringLiteral("rpt_Static_StockQty_") +
           QString::fromLatin1(userCode.trimmed().toUtf8().toHex());
}

TStockByWarehouse::TStockByWarehouse(const TReportContext &ctx,
                                     const QList<QPair<int, QString>> &warehouses,
                                     const QString &table)
    : m_ctx(ctx)
    , m_warehouses(warehouses)
    , m_table(table)
{}

QString TStockByWarehouse::ColumnName(int warehouse)
{
    return QStringLiteral("s") + QString::number(warehouse);
}

QString TStockByWarehouse::DropSQL() const
{
    return QStringLiteral("drop table if exists ") + m_table;
}

QString TStockByWarehouse::CreateSQL() const
{
    QString columns;
    for (const auto &warehouse : m_warehouses)
        columns += ColumnName(warehouse.first) + QStringLiteral(" float,");
    return QStringLiteral(" create table ") + m_table + QStringLiteral("(hpid int,") + columns +
           QStringLiteral("AllQty float)");
}

QString TStockByWarehouse::FillSQL(const QString &condition) const
{
    QString columns;
    QString sums;
    for (const auto &warehouse : m_warehouses) {
        const QString column = ColumnName(warehouse.first);
        columns += QLatin1Char(',') + column;
        // null where the goods has no row in the warehouse: the cell stays empty, not 0
        sums +=
            QStringLiteral(",sum(") +
            SQLIif(m_ctx.DatabaseKind, QStringLiteral("CKID = ") + QString::number(warehouse.first),
                   QStringLiteral("SL"), QStringLiteral("null")) +
            QStringLiteral(") as ") + column;
    }
    return QStringLiteral(" insert into ") + m_table + QStringLiteral(" (hpid") + columns +
           QStringLiteral(") select HPID") + sums + QStringLiteral(" from (") +
           GetFCKCSQL(condition) + QStringLiteral(") F group by HPID");
}

QString TStockByWarehouse::TotalsSQL() const
{
    QStringList terms;
    for (const auto &warehouse : m_warehouses)
        terms << SQLIsNull(m_ctx.DatabaseKind, ColumnName(warehouse.first));
    return QStringLiteral(" update ") + m_table + QStringLiteral(" set AllQty = ") +
           terms.join(QLatin1Char('+'));
}

QString TStockByWarehouse::ReportSQL() const
{
    QString columns;
    for (const auto &warehouse : m_warehouses)
        columns += QStringLiteral("a.") + ColumnName(warehouse.first) + QLatin1Char(',');
    return QStringLiteral(" select b.BH, b.PM, b.GG,b.DW,") + columns +
           QStringLiteral("a.AllQty ") + m_ctx.Attrs + QStringLiteral(" from ") + m_table +
           QStringLiteral(" a, hp b  where a.hpid=b.id  and AllQty <> 0 order by bh");
}

QString PurchaseDetailSQL(const TReportContext &ctx, const QString &condition,
                          TPurchaseDetailOrder order)
{
    QString tail;
    if (order == TPurchaseDetailOrder::BySupplier)
        tail = QStringLiteral(" order by GYSMC,RQ,BH");
    else if (order == TPurchaseDetailOrder::ByGoods)
        tail = QStringLiteral(" order by BH,RQ");
    return QStringLiteral(" select LX, ZBID,RQ,DJBH as DH,GYSMC,BH,PM,GG,SL,DJ,NSL, JE as JEA,  "
                          "JE* NSL / 100 as JEB,  JE + JE* NSL / 100 as JEC ") +
           ctx.Attrs + QStringLiteral(" from (") + GetCGSHTHSQL(ctx, condition, 0) +
           QStringLiteral(") M") + tail;
}

QString PurchaseSummarySQL(const TReportContext &ctx, const QString &condition)
{
    return QStringLiteral(
               " select TypeName,M.BH, PM, GG,DW,  sum(M.SL) as SL,  sum(M.JE) as "
               "JEA,  sum(M.JE*M.NSL / 100) as JEB,  sum(M.JE+M.JE*M.NSL / 100) as JEC ") +
           ctx.Attrs + QStringLiteral(" from (") + GetCGSHTHSQL(ctx, condition, 0) +
           QStringLiteral(") M  group by TypeName,M.BH, PM,GG,DW") + ctx.Attrs;
}

QString PurchaseBySupplierSQL(const TReportContext &ctx, const QString &condition)
{
    return QStringLiteral(" select GYSID,GYSBH,GYSMC,  sum(JE) as JEA,  sum(JE*K.NSL / 100) as "
                          "JEB,  sum(JE+JE*NSL/100) as JEC from (") +
           GetCGSHTHSQL(ctx, condition, 0) +
           QStringLiteral(") K  group by GYSID,GYSBH,GYSMC order by GYSBH");
}

QString PurchaseByBuyerSQL(const TReportContext &ctx, const QString &condition)
{
    return QStringLiteral(" select YWY,  sum(JE) as JEA,  sum(JE*M.NSL / 100) as JEB,  "
                          "sum(JE+JE*NSL/100) as JEC from (") +
           GetCGSHTHSQL(ctx, condition, 0) + QStringLiteral(") M  group by YWY order by YWY");
}

QString IssuesByRecipientSQL(const TReportContext &ctx, const QString &condition)
{
    return GetLLTLSQL(ctx, condition, 0) + QStringLiteral(" order by MC,JSR,M.RQ");
}

QString IssuesByGoodsSQL(const TReportContext &ctx, const QString &condition)
{
    return GetLLTLSQL(ctx, condition, 0) + QStringLiteral(" Order by H.BH,M.RQ,M.JSR  ");
}

QString ReturnsSQL(const TReportContext &ctx, const QString &condition)
{
    return GetLLTLSQL(ctx, condition, 1);
}

QString IssuesByCategorySQL(const TReportContext &ctx, const QString &condition)
{
    return QStringLiteral(" select MC,TypeName,sum(SL) as SL, sum(SL*DJ) as JE from (") +
           GetLLTLSQL(ctx, condition, 0) +
           QStringLiteral(") a Group by MC,TypeName order by MC,TypeName");
}

QString IssuesByRecipientSummarySQL(const TReportContext &ctx, const QString &condition)
{
    return QStringLiteral(" select YGBH,XM,BH,PM,sum(SL) as SL,sum(val(Format(SL*DJ, '0.00'))) "
                          "as JE from (") +
           GetLLTLSQL(ctx, condition, 0) + QStringLiteral(") a Group by YGBH,XM,BH,PM order by XM");
}

QString IssuesByDepartmentSQL(const TReportContext &ctx, const QString &condition)
{
    const QString src = GetLLTLSQL(ctx, condition, 0);
    return QStringLiteral("select * from(select 1 as flag,BMID,MC,'' as BMMC,BH,PM,GG,DW,DJ,SL,JE "
                          "from (") +
           src +
           QStringLiteral(") a union all select 0 as flag,BMID,MC,MC as "
                          "BMMC,'','小计','','','',sum(sl),sum(je) from (") +
           src +
           QStringLiteral(") a group by BMID,MC union all select -1 as flag,0,'' as "
                          "MC,'','','合计','','','',sum(sl),sum(je) from (") +
           src + QStringLiteral(") a)a  order by BMID,flag,bh ");
}

QString StockValueSQL(const TReportContext &ctx, QDate to)
{
    return QStringLiteral(" select sum(flag*sl*dj) as amount From Inv_ItemList M  where 1=1  and "
                          "M.RQ <=") +
           SQLDate(ctx.DatabaseKind, to);
}

QString IssueRateByDepartmentSQL(const TReportContext &ctx, const QString &condition,
                                 const QString &stockValue)
{
    return QStringLiteral(" select MC,JE,JE*100/(JE+") + stockValue +
           QStringLiteral(") as Rate from ( select MC,sum(SL * DJ) as JE from (") +
           GetLLTLSQL(ctx, condition, 0) + QStringLiteral(") a Group by a.MC) b ");
}

QString BusinessTypeCondition(const QString &type)
{
    if (type.isEmpty() || type == QStringLiteral("所有"))
        return {};
    return QStringLiteral(" and M.LX=") + QuotedStr(type);
}

QString CashBankDetailSQL(const TReportContext &ctx, int account, QDate from, QDate to,
                          const QString &type)
{
    return QStringLiteral(" select  M.LX, M.ZHID, M.RQ, M.ID, M.DJBH as DH, M.JEA, M.JEB,K.MC as "
                          "ZHMC,S.MC as SFKFSMC  from  ((") +
           GetXjyhSQL(ctx, account, to, from) +
           QStringLiteral(") M  left outer join  ZH K on M.ZHID=K.ID)  left join  SFKFS S on "
                          "M.SFKFSID=S.ID where 1=1 ") +
           BusinessTypeCondition(type) + QStringLiteral(" order by K.MC,M.RQ,M.DJBH");
}

QString CashBankSummarySQL(const TReportContext &ctx, QDate from, QDate to, const QString &type)
{
    const int kind = ctx.DatabaseKind;
    const QString fromText = dateText(from);
    const QString before = QStringLiteral("RQ < #") + fromText + '#';
    const QString during = QStringLiteral("RQ >= #") + fromText + '#';
    const QString j = QStringLiteral(" select ZHID,  sum(") +
                      SQLIif(kind, before, QStringLiteral("JEA - JEB"), QStringLiteral("0")) +
                      QStringLiteral(") as QCJE,  sum(") +
                      SQLIif(kind, during, QStringLiteral("JEA"), QStringLiteral("0")) +
                      QStringLiteral(") as JEB,  sum(") +
                      SQLIif(kind, during, QStringLiteral("JEB"), QStringLiteral("0")) +
                      QStringLiteral(") as JEC from (") + GetXjyhSQL(ctx, 0, to, QDate()) +
                      QStringLiteral(") M  where 1=1 ") + BusinessTypeCondition(type) +
                      QStringLiteral(" group by ZHID");
    const QString opening = SQLIsNull(kind, QStringLiteral("Z.QCJE")) + QLatin1Char('+') +
                            SQLIsNull(kind, QStringLiteral("J.QCJE"));
    // An account with no movement in the range still closes at its opening balance: its
    // empty income and expense count as nothing instead of making the closing balance empty.
    return QStringLiteral(" select *  from ( select Z.ID, Z.MC, Z.YHZH, ") + opening +
           QStringLiteral(" as  JEA, J.JEB, J.JEC,(") + opening + QStringLiteral("+ ") +
           SQLIsNull(kind, QStringLiteral("JEB")) + QStringLiteral(" - ") +
           SQLIsNull(kind, QStringLiteral("JEC")) +
           QStringLiteral(") as JED  from ZH Z left join (") + j +
           QStringLiteral(") J on Z.ID = J.ZHID) B  where JEA <> 0 or JEB <> 0 or JEC <> 0 or "
                          "JED <> 0  order by ID");
}

QString IncomeExpenseTypeCondition(const QString &type)
{
    if (type.isEmpty() || type == QStringLiteral("所有"))
        return {};
    return QStringLiteral(" and M.LX =") + QuotedStr(type);
}

QString CounterpartyCondition(const QString &namePrefix)
{
    if (namePrefix.isEmpty() || namePrefix == QStringLiteral("所有"))
        return {};
    return QStringLiteral(" and M.Vender like ") + QuotedStr(namePrefix + '%');
}

QString IncomeExpenseDetailSQL(const TReportContext &ctx, int category, QDate from, QDate to,
                               const QString &type, const QString &counterparty)
{
    return QStringLiteral(" select M.LX,JSR, M.ZBID, M.RQ, M.DJBH as DH, M.JEA, "
                          "M.JEB,M.ZYA,M.ZYB,L.MC,M.Vender  from (") +
           GetSzSQL(ctx, category, to, from) +
           QStringLiteral(")  M, SRZCLB L where L.ID = M.SRZCLBID ") +
           IncomeExpenseTypeCondition(type) + CounterpartyCondition(counterparty) +
           QStringLiteral(" order by M.RQ, M.DJBH");
}

QString IncomeExpenseSummarySQL(const TReportContext &ctx, int category, QDate from, QDate to,
                                const QString &type)
{
    const QString b = QStringLiteral("select LX,M.SRZCLBID,sum(M.JEA) as JEA1, sum(M.JEB) as "
                                     "JEB1 from (") +
                      GetSzSQL(ctx, category, to, from) + QStringLiteral(") M  where 1= 1 ") +
                      IncomeExpenseTypeCondition(type) + QStringLiteral("group by LX,M.SRZCLBID");
    return QStringLiteral("select L.ID, B.LX,L.BH,L.MC, B.JEA1 as JEA, B.JEB1 as JEB from SRZCLB "
                          "L, (") +
           b + QStringLiteral(") as B where L.ID = B.SRZCLBID order by B.LX,L.BH");
}

const QList<THrReminder> &HrReminders()
{
    static const QList<THrReminder> reminders = {
        {QStringLiteral("过生日人员"), QStringLiteral("CSRQ")},
        {QStringLiteral("入职人员"), QStringLiteral("RZRQ")},
        {QStringLiteral("离职人员"), QStringLiteral("LZRQ")},
        {QStringLiteral("转正人员"), QStringLiteral("ZZRQ")},
        {QStringLiteral("签订合同人员"), QStringLiteral("QDRQ")},
        {QStringLiteral("合同到期人员"), QStringLiteral("HTDQSJ")},
    };
    return reminders;
}

QString HrReminderCondition(const QString &column, QDate date, bool onDay)
{
    QString text = QStringLiteral(" and month(") + column + QStringLiteral(")=") +
                   QString::number(date.month());
    if (onDay)
        text += QStringLiteral(" and day(") + column + QStringLiteral(") = ") +
                QString::number(date.day());
    return text;
}

QString HrReminderCountsSQL(const TReportContext &ctx, const QStringList &conditions)
{
    QStringList sums;
    for (qsizetype i = 0; i < conditions.size(); ++i)
        sums << QStringLiteral("sum(") +
                    SQLIif(ctx.DatabaseKind, QStringLiteral("1=1") + conditions[i],
                           QStringLiteral("1"), QStringLiteral("0")) +
                    QStringLiteral(") as C") + QString::number(i);
    return QStringLiteral(" select ") + sums.join(QLatin1Char(',')) + QStringLiteral(" from yg");
}

QString HrReminderListSQL(const QString &condition)
{
    return QStringLiteral(" select Y.*, C.MC as aBMMC  from YG Y,  BM C  where   Y.BMID = C.ID ") +
           condition + QStringLiteral(" order by XM ");
}
