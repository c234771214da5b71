#include "client/reports/statsql.h"

#include "client/common/sqltext.h"

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// How a chart subject reaches the rows: the value shown, the tables it needs, their joins.
struct TChartSubject
{
    const char *Caption;
    const char *X;
    const char *Tables;
    const char *Join;
};

const TChartSubject ChartSubjects[] = {
    {"月份", " Right(left(z.rq,7),2)+ '月' ", "", ""},
    {"部门", "  C.MC ", " ,YG AS B,BM as C ", " and Z.YGID =B.ID and b.bmid=c.id "},
    {"员工", "  Y.XM ", " ,YG AS Y ", " and Z.YGID =Y.ID "},
    {"货品", "  HP.PM ", " ,HP  as HP", " and M.HPID =HP.ID "},
    {"货品类别", "  H.TypeName ", ",HP  as HP,Pub_ItemType as H ",
     " and M.HPID =HP.ID and HP.HPLBID = H.ItemType "},
    {"客户", "  K.MC ", " ,KH as K ", " and Z.KHID =K.ID "},
    {"供应商", "  K.MC ", " ,GYS as K ", " and Z.GYSID =K.ID "},
};

const TChartSubject *findChartSubject(const QString &caption)
{
    for (const TChartSubject &subject : ChartSubjects)
        if (caption == S(subject.Caption))
            return &subject;
    return nullptr;
}

QString salesSource(const TReportContext &ctx)
{
    return QStringLiteral("(select Z.RQ, Z.KHID, Z.YWY, M.HPID, M.SL, M.DJ, M.NZK, M.NSL from "
                          "XSKDZB Z, XSKD M where Z.ID = M.ZBID and Z.uFlag = ") +
           QString::number(ctx.Status) + QLatin1Char(')');
}

QString purchaseSource(const TReportContext &ctx)
{
    return QStringLiteral("(select Z.RQ, Z.GYSID, Z.YWY, M.HPID, M.SL, M.DJ, M.NZK, M.NSL from "
                          "CGSHZB Z, CGSH M where Z.ID = M.ZBID and Z.uFlag = ") +
           QString::number(ctx.Status) + QLatin1Char(')');
}

QString issueSource(const TReportContext &ctx)
{
    return QStringLiteral("(select Z.RQ, Z.JSR, Z.BMID, M.HPID, M.SL, M.DJ from "
                          "LLZB Z, LL M where Z.ID = M.ZBID and Z.uFlag = ") +
           QString::number(ctx.Status) + QLatin1Char(')');
}

const char *const TradeAmount = "SL*DJ*NZK*(1+NSL/100)";
const char *const IssueAmount = "SL*DJ";

} // namespace

const std::vector<TChartVariant> &ChartVariants()
{
    static const std::vector<TChartVariant> variants = {
        {"销售图形分析",
         "XSKDZB",
         "XSKD",
         {S("月份"), S("部门"), S("员工"), S("货品"), S("货品类别"), S("客户")}},
        {"采购图形分析",
         "CGSHZB",
         "CGSH",
         {S("月份"), S("部门"), S("员工"), S("货品"), S("货品类别"), S("供应商")}},
        {"物品领用图形分析",
         "LLZB",
         "LL",
         {S("月份"), S("部门"), S("员工"), S("货品"), S("货品类别")}},
    };
    return variants;
}

const TChartVariant *FindChartVariant(const QString &caption)
{
    const QString name = caption == QStringLiteral("物品领用图表分析")
                             ? QStringLiteral("物品领用图形分析")
                             : caption;
    for (const TChartVariant &variant : ChartVariants())
        if (name == S(variant.Caption))
            return &variant;
    return nullptr;
}

bool IsTopCount(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n > 0;
}

QString ChartSQL(const TReportContext &ctx, const TChartVariant &variant, const QString &subject,
                 int top, QDate from, QDate to)
{
    const TChartSubject *s = findChartSubject(subject);
    if (!s || !variant.Subjects.contains(subject))
        return {};
    const QString header = QStringLiteral("(select * from ") + S(variant.HeaderTable) +
                           QStringLiteral(" WHERE uFlag=") + QString::number(ctx.Status) +
                           QLatin1Char(')');
    // The date is the header's: the lines are joined as M.
    const QString dates = SQLDateRange(ctx.DatabaseKind, true, from, to)
                              .replace(QStringLiteral("M.RQ"), QStringLiteral("Z.RQ"));
    const QString inner =
        QStringLiteral(" ( SELECT ") + S(s->X) + QStringLiteral(" AS sX, M.sl*dj as sY ") +
        QStringLiteral("   FROM ") + header + QStringLiteral("  Z, ") + S(variant.LinesTable) +
        QStringLiteral("  M ") + S(s->Tables) + QStringLiteral("   WHERE Z.ID=M.ZBID ") +
        S(s->Join) + dates + QStringLiteral("  ) a  ");
    // Months read in calendar order; every other subject shows its largest values.
    const QString order = subject == QStringLiteral("月份")
                              ? QStringLiteral(" order by a.sX  ")
                              : QStringLiteral(" order by sum(a.sY) desc ");
    return QStringLiteral(" select top ") + QString::number(top) + QStringLiteral(" a.sX as ") +
           subject + QStringLiteral(",sum(a.sY)  as ") + S(variant.Caption) +
           QStringLiteral(" from  ") + inner + QStringLiteral(" group by a.sX  ") + order;
}

const QStringList &EmployeeChartSubjects()
{
    static const QStringList subjects = {S("部门"), S("性别"), S("民族"),
                                         S("职务"), S("专业"), S("婚否")};
    return subjects;
}

QString EmployeeChartSQL(int databaseKind, const QString &subject, const QString &caption)
{
    const QString count = QStringLiteral(",count(*) as ") + caption;
    auto byColumn = [&](const char *column, const QString &alias) {
        return QStringLiteral(" select a.") + S(column) + QStringLiteral(" as ") + alias + count +
               QStringLiteral(" from yg a group by a.") + S(column);
    };
    if (subject == QStringLiteral("部门"))
        return QStringLiteral(" select b.mc as ") + subject + count +
               QStringLiteral(" from yg a,bm b ") + QStringLiteral(" where a.bmid=b.id ") +
               QStringLiteral(" group by  b.mc  ");
    if (subject == QStringLiteral("性别"))
        return byColumn("XB", subject);
    if (subject == QStringLiteral("民族"))
        return byColumn("MZ", QStringLiteral("名族"));
    if (subject == QStringLiteral("职务"))
        return byColumn("ZW", subject);
    if (subject == QStringLiteral("专业"))
        return byColumn("ZUANYE", subject);
    if (subject == QStringLiteral("婚否")) {
        // T-SQL has no truth value of a bit column: it is compared.
        const QString married =
            databaseKind == 0 ? QStringLiteral("iif(a.HF, '已婚', '未婚')")
                              : QStringLiteral("case when a.HF<>0 then '已婚' else '未婚' end");
        return QStringLiteral(" select ") + married + QStringLiteral(" as ") + subject + count +
               QStringLiteral(" from yg a group by a.HF");
    }
    return {};
}

QString PriceRowsSQL(bool sales, const QString &condition)
{
    return QStringLiteral(" select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as "
                          "KHGYS from Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,") +
           (sales ? QStringLiteral("KH") : QStringLiteral("GYS")) + QStringLiteral(" K") +
           QStringLiteral(" where M.HPID=H.ID and M.CKID=C.ID and H.HPLBID=L.ItemType and "
                          "M.YGID=Y.ID and M.CustVendID=K.ID") +
           QStringLiteral(" and BillType =") +
           QuotedStr(sales ? QStringLiteral("XS") : QStringLiteral("CS")) + condition;
}

QString PriceAnalysisSQL(bool sales, const QString &rows, TPriceSubject subject)
{
    const bool partner = subject == TPriceSubject::GoodsPartner;
    const QString keys = partner ? QStringLiteral("HPID,CustVendID") : QStringLiteral("HPID");
    const QString partners = sales ? QStringLiteral("KH") : QStringLiteral("GYS");
    const QString r = QLatin1Char('(') + rows + QLatin1Char(')');
    auto sameKeys = [&](const QString &a) {
        QString sql = QStringLiteral(" and ") + a + QStringLiteral(".HPID=G.HPID");
        if (partner)
            sql += QStringLiteral(" and ") + a + QStringLiteral(".CustVendID=G.CustVendID");
        return sql;
    };
    // The latest row of each price: the lowest and the highest row are found among these,
    // so equal prices give the row with the highest id. The rows are read only in these
    // three groupings; the rows picked are then found by their ids.
    const QString latestOfPrice = QStringLiteral("(select ") + keys +
                                  QStringLiteral(",DJ,max(id) as RowID from ") + r +
                                  QStringLiteral(" R group by ") + keys + QStringLiteral(",DJ)");
    return QStringLiteral("select H.BH,H.PM,H.GG,H.DW,") +
           (partner ? QStringLiteral("P.MC as KHGYS,") : QString()) +
           QStringLiteral("Lo.RQ as LoRQ,Lo.DJ as LoDJ,LoP.MC as LoKHGYS,LoY.XM as LoXM,"
                          "Hi.RQ as HiRQ,Hi.DJ as HiDJ,HiP.MC as HiKHGYS,HiY.XM as HiXM,"
                          "G.AvgDJ,La.DJ as LastDJ from (select ") +
           keys +
           QStringLiteral(",min(DJ) as MinDJ,max(DJ) as MaxDJ,avg(DJ) as AvgDJ,max(id) as "
                          "LastID from ") +
           r + QStringLiteral(" R group by ") + keys + QStringLiteral(") G,") + latestOfPrice +
           QStringLiteral(" LoK,") + latestOfPrice +
           QStringLiteral(" HiK,Inv_ItemList Lo,Inv_ItemList Hi,Inv_ItemList La,HP H,") + partners +
           QStringLiteral(" LoP,YG LoY,") + partners + QStringLiteral(" HiP,YG HiY") +
           (partner ? QStringLiteral(",") + partners + QStringLiteral(" P") : QString()) +
           QStringLiteral(" where LoK.DJ=G.MinDJ") + sameKeys(QStringLiteral("LoK")) +
           QStringLiteral(" and Lo.id=LoK.RowID and HiK.DJ=G.MaxDJ") +
           sameKeys(QStringLiteral("HiK")) +
           QStringLiteral(" and Hi.id=HiK.RowID and La.id=G.LastID and H.ID=G.HPID"
                          " and LoP.ID=Lo.CustVendID and LoY.ID=Lo.YGID"
                          " and HiP.ID=Hi.CustVendID and HiY.ID=Hi.YGID") +
           (partner ? QStringLiteral(" and P.ID=G.CustVendID order by H.BH,P.MC")
                    : QStringLiteral(" order by H.BH"));
}

QString StructureTotalSQL(const QString &rows)
{
    return QStringLiteral("select sum(dj*sl*NZK*(1+NSL/100)) as je from (") + rows +
           QStringLiteral(")a");
}

QString StructureSQL(const QString &rows, const QString &total)
{
    return QStringLiteral(" select a.BH, a.PM, a.GG,a.DW,sum(sl) as "
                          "sl_all,sum(dj*sl*NZK*(1+NSL/100)) as je, "
                          "(sum(dj*sl*NZK*(1+NSL/100))*100/") +
           total + QStringLiteral(") as Rate") + QStringLiteral(" from (") + rows +
           QStringLiteral(")a group by  a.BH, a.PM, a.GG,a.DW");
}

const std::vector<TYearVariant> &YearVariants()
{
    static const std::vector<TYearVariant> variants = {
        {"年销售量分析",
         salesSource,
         TradeAmount,
         {{"货品", "HPID", "HP", "PM"}, {"客户", "KHID", "KH", "MC"}, {"业务员", "YWY", "", ""}}},
        {"年采购量分析",
         purchaseSource,
         TradeAmount,
         {{"货品", "HPID", "HP", "PM"},
          {"供应商", "GYSID", "GYS", "MC"},
          {"业务员", "YWY", "", ""}}},
        {"物品月领用分析", issueSource, IssueAmount, {{"货品", "HPID", "HP", "PM"}}},
        {"人员月领用分析", issueSource, IssueAmount, {{"领用人", "JSR", "", ""}}},
        {"部门月领用分析", issueSource, IssueAmount, {{"部门", "BMID", "BM", "mc"}}},
    };
    return variants;
}

const TYearVariant *FindYearVariant(const QString &caption)
{
    for (const TYearVariant &variant : YearVariants())
        if (caption == S(variant.Caption))
            return &variant;
    return nullptr;
}

QString TYearAnalysis::WorkTableName(const QString &userCode)
{
    return QStringLiteral("rpt_Static_Month_") +
           QString::fromLatin1(userCode.trimmed().toUtf8().toHex());
}

TYearAnalysis::TYearAnalysis(const TReportContext &ctx, const TYearVariant &variant,
                             const TYearSubject &subject, int year, const QString &table)
    : m_ctx(ctx)
    , m_variant(variant)
    , m_subject(subject)
    , m_year(year)
    , m_table(table)
{}

QString TYearAnalysis::DropSQL() const
{
    return QStringLiteral("drop table if exists ") + m_table;
}

QString TYearAnalysis::CreateSQL() const
{
    QString sql = QStringLiteral(" create table ") + m_table +
                  (textKey() ? QStringLiteral("(keyid char(20) ") : QStringLiteral("(keyid int "));
    for (int m = 1; m <= 12; ++m)
        sql += QStringLiteral(",Qty%1 float,Amount%1 float").arg(m);
    return sql + QStringLiteral(",AllQty float,AllAmount float ") + QLatin1Char(')');
}

QString TYearAnalysis::FillSQL() const
{
    QString columns;
    QString sums;
    for (int m = 1; m <= 12; ++m) {
        columns += QStringLiteral(",Qty%1,Amount%1").arg(m);
        const QString inMonth = QStringLiteral("Month(RQ) = %1").arg(m);
        sums += QStringLiteral(",sum(") +
                SQLIif(m_ctx.DatabaseKind, inMonth, QStringLiteral("SL"), QStringLiteral("0")) +
                QStringLiteral("),sum(") +
                SQLIif(m_ctx.DatabaseKind, inMonth, S(m_variant.Amount), QStringLiteral("0")) +
                QLatin1Char(')');
    }
    const QString key = S(m_subject.Key);
    return QStringLiteral(" insert into ") + m_table + QStringLiteral(" (keyid") + columns +
           QStringLiteral(") select ") + key + sums + QStringLiteral(" from ") +
           m_variant.Source(m_ctx) + QStringLiteral(" a where Year(RQ) = ") +
           QString::number(m_year) + QStringLiteral(" group by ") + key;
}

QString TYearAnalysis::TotalsSQL() const
{
    QStringList quantities;
    QStringList amounts;
    for (int m = 1; m <= 12; ++m) {
        quantities << QStringLiteral("Qty%1").arg(m);
        amounts << QStringLiteral("Amount%1").arg(m);
    }
    return QStringLiteral(" update ") + m_table + QStringLiteral(" set AllQty =") +
           quantities.join(QLatin1Char('+')) + QStringLiteral(", AllAmount =") +
           amounts.join(QLatin1Char('+'));
}

QString TYearAnalysis::ReportSQL() const
{
    QString columns;
    for (int m = 1; m <= 12; ++m)
        columns += QStringLiteral(",a.Qty%1,a.Amount%1").arg(m);
    columns += QStringLiteral(",a.AllQty,a.AllAmount");
    if (textKey())
        return QStringLiteral(" select a.keyid") + columns + QStringLiteral(" from ") + m_table +
               QStringLiteral(" a order by keyid");
    const QString display = QStringLiteral("b.") + S(m_subject.DisplayField);
    return QStringLiteral(" select ") + display + QStringLiteral(" as keyid") + columns +
           QStringLiteral(" from ") + m_table + QStringLiteral(" a left join ") +
           S(m_subject.KeyTable) + QStringLiteral(" b on a.keyid=b.ID order by ") + display;
}
