#include "client/print/demonote.h"

#include "client/print/reportrenderer.h"
#include "client/print/reporttemplate.h"

#include <QDate>

#include <cmath>

namespace print {

TReportValues DemoDeliveryNote(int lines)
{
    static const char *const names[] = {"饮用天然水 550ml", "红烧牛肉面", "调和油 5L",
                                        "纯牛奶 250ml",     "火腿肠",     "啤酒 500ml",
                                        "抽取式面巾纸"};
    static const char *const sizes[] = {"24瓶/箱", "5连包",   "5L/桶", "24盒/箱",
                                        "10支/袋", "12听/箱", "3包/提"};
    static const char *const units[] = {"箱", "包", "桶", "箱", "袋", "箱", "提"};
    TReportValues note;
    note.SetMaster(QStringLiteral("CompanyName"), QStringLiteral("天河区好邻居商贸有限公司"));
    note.SetMaster(QStringLiteral("DJBH"), QStringLiteral("XK20261207-0001"));
    note.SetMaster(QStringLiteral("RQ"), QDate(2026, 12, 7));
    note.SetMaster(QStringLiteral("aKHMC"), QStringLiteral("广州市天河便利店"));
    note.SetMaster(QStringLiteral("aCKMC"), QStringLiteral("总仓"));
    note.SetMaster(QStringLiteral("CZY"), QStringLiteral("张三"));
    note.SetMaster(QStringLiteral("AuditName"), QStringLiteral("李四"));
    note.SetMaster(QStringLiteral("BZ"), QStringLiteral("请于收货当日核对数量"));
    for (int i = 0; i < lines; ++i) {
        const int kind = i % 7;
        const int line = note.AddLine();
        const double quantity = kind == 6 ? 0 : 1 + (i * 3) % 17;
        const double price = 12.5 + kind * 7.35 + (i % 5) * 0.01;
        note.SetLine(line, QStringLiteral("aBH"),
                     QStringLiteral("HP%1").arg(1001 + kind * 13 + i % 3));
        note.SetLine(line, QStringLiteral("aPM"), QString::fromUtf8(names[kind]));
        note.SetLine(line, QStringLiteral("aGG"), QString::fromUtf8(sizes[kind]));
        note.SetLine(line, QStringLiteral("aDW"), QString::fromUtf8(units[kind]));
        note.SetLine(line, QStringLiteral("SL"), quantity);
        note.SetLine(line, QStringLiteral("DJ"), price);
        note.SetLine(line, QStringLiteral("cJE"), std::round(quantity * price * 100) / 100);
    }
    return note;
}

bool PrintDemoDeliveryNote(const QString &templateFile, const QString &pdfFile, QString *error)
{
    TReport report;
    if (!LoadReportTemplate(templateFile, report.Template(), error))
        return false;
    report.SetNamedText(QStringLiteral("pplink"), QStringLiteral("电话：020-87654321"));
    report.SetNamedText(QStringLiteral("ppaddress"),
                        QStringLiteral("地址：广州市天河区天河路 1 号"));
    const TReportValues note = DemoDeliveryNote(18);
    return TReportRenderer(report, note).WritePdf(pdfFile, error);
}

} // namespace print
