// The rights object's rules that need no server: the department walk, the company settings,
// menu and audit-level rights, the attribute columns and the clear list.
#include "client/data/clientdataset.h"
#include "client/security/systemfunctionright.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QList<TDeptRow> departments()
{
    // 1 总部 ─ 2 销售部 ─ 4 门市
    //        └ 3 仓储部
    // 5 外协 (another root), 6 dangling parent, 7/8 a cycle
    return {{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("总部")},
            {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("销售部")},
            {QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("仓储部")},
            {QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("O'Neil门市")},
            {QStringLiteral("5"), QString(), QStringLiteral("外协")},
            {QStringLiteral("6"), QStringLiteral("99"), QStringLiteral("孤立")},
            {QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("甲")},
            {QStringLiteral("8"), QStringLiteral("7"), QStringLiteral("乙")}};
}

TFuncRightItem grant(const QString &object, const QString &items = QStringLiteral("Insert"))
{
    return {QStringLiteral("0101"), object, object, items};
}

} // namespace

TEST(DeptSubtree, RootAndEverythingBelowIt)
{
    EXPECT_EQ(TSystemFunctionRight::DeptSubtreeOf(departments(), QStringLiteral("1"),
                                                  QStringLiteral("id")),
              QStringLiteral("1,2,3,4"));
    EXPECT_EQ(TSystemFunctionRight::DeptSubtreeOf(departments(), QStringLiteral("2"),
                                                  QStringLiteral("id")),
              QStringLiteral("2,4"));
    EXPECT_EQ(TSystemFunctionRight::DeptSubtreeOf(departments(), QStringLiteral("2"),
                                                  QStringLiteral("mc")),
              QStringLiteral("'销售部','O''Neil门市'"));
}

TEST(DeptSubtree, DanglingCodesAndCyclesEndTheWalk)
{
    EXPECT_EQ(TSystemFunctionRight::DeptSubtreeOf(departments(), QStringLiteral("99"),
                                                  QStringLiteral("id")),
              QStringLiteral("6"))
        << "a row whose parent is the root is included";
    EXPECT_EQ(TSystemFunctionRight::DeptSubtreeOf(departments(), QStringLiteral("7"),
                                                  QStringLiteral("id")),
              QStringLiteral("7,8"));
    EXPECT_EQ(TSystemFunctionRight::DeptSubtreeOf(departments(), QString(), QStringLiteral("id")),
              QString());
}

TEST(CompanySettings, AttributesDiscountAndPageSetupComeFromTheRecord)
{
    TClientDataSet info;
    info.FieldDefs().Add(QStringLiteral("fCompanyName"), ftWideString, 50);
    info.FieldDefs().Add(QStringLiteral("fAuditNum"), ftInteger);
    info.FieldDefs().Add(QStringLiteral("fZK"), ftFloat);
    info.FieldDefs().Add(QStringLiteral("fBoolean2"), ftBoolean);
    info.FieldDefs().Add(QStringLiteral("fExcelPageSetup"), ftWideString, 255);
    for (int n = 1; n <= 6; ++n)
        info.FieldDefs().Add(QStringLiteral("HP_SX%1").arg(n), ftWideString, 50);
    info.CreateDataSet();
    info.AppendRecord({QStringLiteral("演示公司"), 2, 0.0, true,
                       QStringLiteral("2,2,1.5,1.5,0.8,0.8"), QStringLiteral("颜色"), QVariant(),
                       QStringLiteral("尺码"), QVariant(), QVariant(), QStringLiteral("重量")});

    TSystemFunctionRight rights;
    rights.ReadCompanySettings(info);
    EXPECT_EQ(rights.CompanyName, QStringLiteral("演示公司"));
    EXPECT_EQ(rights.AuditNum, 2);
    EXPECT_DOUBLE_EQ(rights.DefaultDiscount, 1.0) << "a discount of 0 means none";
    EXPECT_TRUE(rights.DeptScope);
    EXPECT_DOUBLE_EQ(rights.ExcelPageSetup.Top, 2.0);
    EXPECT_DOUBLE_EQ(rights.ExcelPageSetup.Footer, 0.8);
    EXPECT_EQ(rights.AttrColumns, QStringLiteral(",SX1,SX3,SX6"));
    ASSERT_EQ(rights.AttrList.size(), 3);
    EXPECT_EQ(rights.AttrList[1].first, QStringLiteral("HP_SX3"));
    EXPECT_EQ(rights.AttrList[1].second.Caption, QStringLiteral("尺码"));
    EXPECT_EQ(rights.AttrColumnsFor(QStringLiteral("H")), QStringLiteral(",H.SX1,H.SX3,H.SX6"));

    info.Edit();
    info.FieldByName(QStringLiteral("fZK"))->SetAsFloat(0.875);
    info.Post();
    rights.ReadCompanySettings(info);
    EXPECT_DOUBLE_EQ(rights.DefaultDiscount, 0.88);
}

TEST(MenuRights, AGrantOfAnyGroupEnablesAndLargeButtonsFollowTheirItem)
{
    QWidget window;
    auto *menu = new QMenu(&window);
    QAction *cgsh = menu->addAction(QStringLiteral("采购入库单"));
    cgsh->setObjectName(QStringLiteral("mnuCgsh"));
    QAction *ll = menu->addAction(QStringLiteral("物品领用单"));
    ll->setObjectName(QStringLiteral("mnuLl"));
    auto *large = new QToolButton(&window);
    large->setObjectName(QStringLiteral("mnuCgsh1"));
    large->setProperty("largeButton", true);
    auto *other = new QToolButton(&window);
    other->setObjectName(QStringLiteral("btnSomething"));
    other->setEnabled(false);

    TSystemFunctionRight rights;
    rights.UserCode = QStringLiteral("li");
    rights.FuncItems = {grant(QStringLiteral("MNUCGSH"))}; // names match without regard to case
    rights.ApplyMenuRights(&window);
    EXPECT_TRUE(cgsh->isEnabled());
    EXPECT_FALSE(ll->isEnabled());
    EXPECT_TRUE(large->isEnabled());
    EXPECT_FALSE(other->isEnabled()) << "only mnu names are rights";
    EXPECT_TRUE(rights.MenuList.contains(QStringLiteral("mnuCgsh")));
    EXPECT_FALSE(rights.MenuList.contains(QStringLiteral("mnuLl")));

    rights.UserCode = QStringLiteral("sys");
    rights.FuncItems.clear();
    rights.ApplyMenuRights(&window);
    EXPECT_TRUE(ll->isEnabled());
    EXPECT_TRUE(rights.MenuList.contains(QStringLiteral("mnuLl")));
}

TEST(MenuRights, HasRightSpellsTheAdministratorExactly)
{
    TSystemFunctionRight rights;
    rights.UserCode = QStringLiteral("SYS");
    EXPECT_TRUE(rights.HasRight(QStringLiteral("mnuBackup")));
    rights.UserCode = QStringLiteral("sys");
    EXPECT_FALSE(rights.HasRight(QStringLiteral("mnuBackup")));
    rights.FuncItems = {grant(QStringLiteral("mnuBackup"))};
    EXPECT_TRUE(rights.HasRight(QStringLiteral("mnuBackup")));
}

TEST(AuditLevels, OnlyGrantedLevelsPassAndTheAdministratorPassesAll)
{
    TSystemFunctionRight rights;
    rights.AuditLevels = {QStringLiteral("1"), QStringLiteral("3")};
    EXPECT_TRUE(rights.CheckAuditLevel(QStringLiteral("li"), 3));
    EXPECT_TRUE(rights.CanAudit);
    EXPECT_FALSE(rights.CheckAuditLevel(QStringLiteral("li"), 2));
    EXPECT_FALSE(rights.CanAudit);
    EXPECT_FALSE(rights.CanAuditLevel);
    EXPECT_TRUE(rights.CheckAuditLevel(QStringLiteral("Sys"), 2));
}

TEST(TableList, ProductionTablesOnlyWithFlagZeroAndBuiltOnce)
{
    TSystemFunctionRight rights;
    rights.BuildTableList(1);
    EXPECT_EQ(rights.TableList.first(), QStringLiteral("A|HP"));
    EXPECT_EQ(rights.TableList.last(), QStringLiteral("B|Inv_ItemList"));
    EXPECT_FALSE(rights.TableList.contains(QStringLiteral("B|SC_BOM")));
    const int size = int(rights.TableList.size());
    rights.BuildTableList(0);
    EXPECT_EQ(rights.TableList.size(), size) << "a list with entries is not rebuilt";

    TSystemFunctionRight again;
    again.BuildTableList(0);
    EXPECT_EQ(again.TableList.size(), size + 10);
    EXPECT_LT(again.TableList.indexOf(QStringLiteral("B|QTKCBD")),
              again.TableList.indexOf(QStringLiteral("B|SC_BOMZB")));
}
