// Posting documents into the stock ledger.
#include "client/documents/posting.h"

#include "client/common/sqltext.h"

namespace posting {

namespace {

const QString PostedPrefixes = QStringLiteral("CS,LL,LS,LW,TL,PD,CT,XS,XT,CJ,SJ,WJ,DB,QB,PS,ZZ,CP");

const QString LongList = QStringLiteral(
    " insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,NZK,NSL,SL,DJ,CBDJ,JE,CustVendID,CKID,"
    "F1,YGID");
const QString ShortList = QStringLiteral(
    " insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID");

struct Rule
{
    const char *prefix;
    bool longList;
    const char *selectList; // after the BillType text
    const char *from;
};

// clang-format off
const Rule Rules[] = {
    {"CS", true, "',1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,DJ,D.SL*D.DJ,M.GYSID,M.CKID,M.CGLX,YGID", " from CGSHZB M,CGSH D    "},
    {"CT", true, "',-1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,DJ,D.SL*D.DJ,M.GYSID,M.CKID,M.THLX,YGID", " from CGTHZB M,CGTH D    "},
    {"XS", true, "',-1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,CBDJ,D.SL*D.DJ,M.KHID,M.CKID,M.XSLX,YGID", " from XSKDZB M,XSKD D    "},
    {"XT", true, "',1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,CBDJ,D.SL*D.DJ,M.KHID,M.CKID,M.THLX,YGID", " from XSTHZB M,XSTH D    "},
    {"LL", false, "',-1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,YGID", " from LLZB M,LL D    "},
    {"TL", false, "',1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,YGID", " from TLZB M,TL D    "},
    // Product intake: finished goods into the warehouse, like the production intakes.
    {"CP", false, "',1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,0", " from CPJCZB M,CPJC D    "},
};
// clang-format on

QString attributeList(const QStringList &attributes)
{
    QString list;
    for (const QString &column : attributes)
        list += QLatin1Char(',') + column;
    return list;
}

QString where(const QString &billNo)
{
    return QStringLiteral(" where M.ID=D.ZBID   and M.DJBH=") + QuotedStr(billNo);
}

QString statement(const QString &list, const QString &a, const QString &billType,
                  const QString &selectList, const QString &from, const QString &billNo)
{
    return list + a + QStringLiteral(")") + QStringLiteral(" select D.RQ,") + QLatin1Char('\'') +
           billType + selectList + a + from + where(billNo);
}

} // namespace

bool IsPostedPrefix(const QString &prefix)
{
    return prefix.size() == 2 && PostedPrefixes.split(QLatin1Char(',')).contains(prefix.toUpper());
}

QStringList PostingStatements(const TPostingRequest &request)
{
    const QString prefix = request.Prefix.toUpper();
    if (!IsPostedPrefix(prefix))
        return {};
    const QString a = attributeList(request.Attributes);
    // The kinds the document header names go into the ledger as text: quoted.
    const auto kindText = [](const QString &text) {
        QString quoted = QuotedStr(text);
        return quoted.mid(1, quoted.size() - 2);
    };
    for (const Rule &rule : Rules) {
        if (prefix != QLatin1String(rule.prefix))
            continue;
        return {statement(rule.longList ? LongList : ShortList, a, prefix,
                          QLatin1String(rule.selectList), QLatin1String(rule.from),
                          request.BillNo)};
    }
    if (prefix == QLatin1String("DB")) {
        const QString type = kindText(request.TransferType);
        const QString from = QStringLiteral(" from CKDBZB M,CKDB D    ");
        return {
            statement(ShortList, a, type,
                      QStringLiteral("',1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.DRCID,0"),
                      from, request.BillNo),
            statement(ShortList, a, type,
                      QStringLiteral("',-1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.DCCID,0"),
                      from, request.BillNo)};
    }
    if (prefix == QLatin1String("PD")) {
        const QString q =
            request.CountSheet ? QStringLiteral("D.SL-D.KCSL") : QStringLiteral("D.SL");
        return {ShortList + a + QStringLiteral(")") + QStringLiteral(" select D.RQ,'") +
                kindText(request.AdjustmentType) + QStringLiteral("',1,M.DJBH,D.HPID,D.HH,") + q +
                QStringLiteral(",D.DJ,DJ,D.SL*D.DJ,M.CKID,0 ") + a +
                QStringLiteral(" from KCPDZB M,KCPD D    ") + where(request.BillNo) +
                QStringLiteral(" and (") + q + QStringLiteral(") <> 0")};
    }
    if (prefix == QLatin1String("QB")) {
        const QString flag = request.DatabaseKind == 0
                                 ? QStringLiteral("iif(L.RKL,") + QuotedStr(QStringLiteral("1")) +
                                       QLatin1Char(',') + QuotedStr(QStringLiteral("-1")) +
                                       QStringLiteral(")")
                                 : QStringLiteral("case L.RKL when 1 then ") +
                                       QuotedStr(QStringLiteral("1")) + QStringLiteral(" else ") +
                                       QuotedStr(QStringLiteral("-1")) + QStringLiteral(" end ");
        return {
            QStringLiteral(" insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,"
                           "CKID,YGID)  select D.RQ,'QB',") +
            flag +
            QStringLiteral(",M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,0 from (QTKCBDZB M "
                           "left outer join QTKCBD D on M.ID=D.ZBID)  left outer join QTKCBDLX "
                           "L  on M.QTKCBDLXID = L.ID where M.DJBH=") +
            QuotedStr(request.BillNo)};
    }
    return {};
}

QString UnpostStatement(const QString &billNo)
{
    return QStringLiteral(" Delete from Inv_Itemlist where DJBH=") + QuotedStr(billNo);
}

QString RefQuantityStatement(int sign, double quantity, const QString &sourceNo, int sourceLine)
{
    return QStringLiteral(" update inv_itemlist set RefSL=RefSL+") + QString::number(sign) +
           QLatin1Char('*') + QString::number(quantity, 'g', 15) + QStringLiteral(" where DJBH=") +
           QuotedStr(sourceNo) + QStringLiteral(" and HH=") + QString::number(sourceLine);
}

} // namespace posting
