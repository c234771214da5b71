// Local datasets the widget tests work on: goods lines with codes, names, quantities, prices
// and amounts; warehouses for lookups; goods categories for trees.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/fields.h"

#include <QDate>
#include <QString>
#include <QTest>

#include <memory>

namespace widgettest {

// ID, BH, PM, LB (category), SL, DJ, JE, RQ, ZT, CKID, BZ
inline std::unique_ptr<TClientDataSet> makeGoods(int rows = 5)
{
    auto ds = std::make_unique<TClientDataSet>(QStringLiteral("Hp"));
    ds->FieldDefs().Add(QStringLiteral("ID"), ftInteger);
    ds->FieldDefs().Add(QStringLiteral("BH"), ftString, 20);
    ds->FieldDefs().Add(QStringLiteral("PM"), ftString, 40);
    ds->FieldDefs().Add(QStringLiteral("LB"), ftString, 20);
    ds->FieldDefs().Add(QStringLiteral("SL"), ftFloat);
    ds->FieldDefs().Add(QStringLiteral("DJ"), ftFloat);
    ds->FieldDefs().Add(QStringLiteral("JE"), ftFloat);
    ds->FieldDefs().Add(QStringLiteral("RQ"), ftDate);
    ds->FieldDefs().Add(QStringLiteral("ZT"), ftBoolean);
    ds->FieldDefs().Add(QStringLiteral("CKID"), ftInteger);
    ds->FieldDefs().Add(QStringLiteral("BZ"), ftString, 60);
    ds->CreateDataSet();
    static const char *names[] = {"螺丝刀", "扳手", "电钻", "卷尺", "砂纸", "胶带", "钳子", "锤子"};
    static const char *kinds[] = {"五金", "工具", "耗材"};
    for (int i = 0; i < rows; ++i) {
        const double sl = (i % 7) + 1;
        const double dj = 10.5 + (i % 13);
        ds->AppendRecord({i + 1, QStringLiteral("H%1").arg(i + 1, 4, 10, QLatin1Char('0')),
                          QString::fromUtf8(names[i % 8]), QString::fromUtf8(kinds[i % 3]), sl, dj,
                          sl * dj, QDate(2024, 3, 1).addDays(i % 28), i % 2 == 0, 1 + i % 3,
                          QString()});
    }
    ds->MergeChangeLog();
    ds->First();
    return ds;
}

// ID, MC
inline std::unique_ptr<TClientDataSet> makeWarehouses()
{
    auto ds = std::make_unique<TClientDataSet>(QStringLiteral("Ck"));
    ds->FieldDefs().Add(QStringLiteral("ID"), ftInteger);
    ds->FieldDefs().Add(QStringLiteral("BH"), ftString, 10);
    ds->FieldDefs().Add(QStringLiteral("MC"), ftString, 40);
    ds->CreateDataSet();
    ds->AppendRecord({1, QStringLiteral("01"), QStringLiteral("总仓库")});
    ds->AppendRecord({2, QStringLiteral("02"), QStringLiteral("门市仓库")});
    ds->AppendRecord({3, QStringLiteral("03"), QStringLiteral("原料仓库")});
    ds->MergeChangeLog();
    ds->First();
    return ds;
}

// ItemType, ParentCode, TypeName
inline std::unique_ptr<TClientDataSet> makeCategories()
{
    auto ds = std::make_unique<TClientDataSet>(QStringLiteral("cdsTree"));
    ds->FieldDefs().Add(QStringLiteral("ItemType"), ftString, 10);
    ds->FieldDefs().Add(QStringLiteral("ParentCode"), ftString, 10);
    ds->FieldDefs().Add(QStringLiteral("TypeName"), ftString, 30);
    ds->CreateDataSet();
    ds->AppendRecord({QStringLiteral("01"), QString(), QStringLiteral("五金")});
    ds->AppendRecord({QStringLiteral("0101"), QStringLiteral("01"), QStringLiteral("螺丝")});
    ds->AppendRecord({QStringLiteral("0102"), QStringLiteral("01"), QStringLiteral("工具")});
    ds->AppendRecord({QStringLiteral("02"), QString(), QStringLiteral("电器")});
    ds->AppendRecord({QStringLiteral("0201"), QStringLiteral("02"), QStringLiteral("电线")});
    ds->AppendRecord({QStringLiteral("03"), QStringLiteral("99"), QStringLiteral("包装")});
    ds->MergeChangeLog();
    ds->First();
    return ds;
}

// Types text the way a keyboard with an input method does: one key event per character,
// Chinese characters included (QTest::keyClicks only knows Latin-1).
inline void typeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        const Qt::Key key = c.unicode() < 128 && c.isLetterOrNumber()
                                ? Qt::Key(QChar(c).toUpper().unicode())
                                : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), Qt::NoModifier);
    }
}

} // namespace widgettest
