// The issue.
#include "client/documents/ll.h"

#include "client/common/valueroutines.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/messagebox.h"

namespace {

const TDocumentTables Tables{"LLZB", "LL", "mnuLl", "ID,ZBID; RQ,RQ; CKID,CKID;DJBH,DJBH",
                             "DJBH; RQ; CKID;JSR"};

} // namespace

TfrmStockLl::TfrmStockLl(QWidget *parent)
    : TfrmStaffStockDj("frmStockLl", QStringLiteral("物品领用单"), Tables, QStringLiteral("领用人"),
                       parent)
{
    AddReferSource({"aRefer", "选择采购入库单", "采购入库单", "CGSHZB", "CGSH", "M.JSR",
                    TReferPartner::Supplier});
}

QString TfrmStockLl::UsedBudgetSql(qint64 department, int year)
{
    return QStringLiteral(" select sum(a.je) as JE from LLZB a,YG b,BM c  where a.uflag = 1 and "
                          "a.YGID = b.ID and b.BMID=c.ID and c.id=") +
           QString::number(department) + QStringLiteral(" and Year(a.rq)=") + QString::number(year);
}

QString TfrmStockLl::BudgetSql(qint64 department)
{
    return QStringLiteral(" select  JE from BM where id=") + QString::number(department);
}

QString TfrmStockLl::HeaderQuery(const QString &where)
{
    return HeaderQueryOf(QLatin1String(Tables.HeaderTable), where);
}

void TfrmStockLl::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TfrmStaffStockDj::ZbOnNewRecord(DataSet);
    const qint64 employee = FuncRight().EmployeeID.toLongLong();
    if (employee == 0)
        return;
    // The user takes the goods for the user's own department unless told otherwise.
    TTmpDataSet found;
    found->SetCommandText(QStringLiteral("select Y.BMID, B.MC from YG Y left join BM B on "
                                         "Y.BMID = B.ID where Y.ID = ") +
                          QString::number(employee));
    found->Open();
    WriteHeader([&] {
        SetZbValue("YGID", employee);
        SetZbValue("JSR", FuncRight().EmployeeName);
        if (!found->IsEmpty()) {
            SetZbValue("BMID", found->Fields(0)->Value());
            SetZbValue("aBMMC", found->Fields(1)->Value());
        }
    });
}

void TfrmStockLl::aSaveExecute()
{
    CommitHeaderControls();
    if (ZbValue("JSR").toString().trimmed().isEmpty()) {
        ShowMessage(QStringLiteral("请选择领用人！"));
        DBComboJSR->setFocus();
        Abort();
    }
    warnOverBudget();
    TfrmStaffStockDj::aSaveExecute();
}

TfrmStockLl::TBudget TfrmStockLl::departmentBudget() const
{
    const qint64 department = ZbInteger("BMID");
    if (department == 0)
        return {};
    const int year = ZbValue("RQ").toDate().year();
    return {RoundTo(QueryValue(UsedBudgetSql(department, year)), 2),
            RoundTo(QueryValue(BudgetSql(department)), 2)};
}

void TfrmStockLl::warnOverBudget()
{
    const TBudget budget = departmentBudget();
    // A warning only: the department's head decides, the document is saved.
    if (budget.Budget != 0 && budget.Used > budget.Budget)
        ShowMessage(QStringLiteral("已经超过部门[") + ZbValue("aBMMC").toString() +
                    QStringLiteral("]年定金额：") + FloatToStr(budget.Used));
}

void TfrmStockLl::SetReprotBuildParam()
{
    TfrmStaffStockDj::SetReprotBuildParam();
    const TBudget budget = departmentBudget();
    if (budget.Budget == 0)
        return;
    const auto money = [](double value) {
        return QString::number(value, 'f', 2);
    };
    SetReportText(QStringLiteral("ppbudget"),
                  QStringLiteral("部门[") + ZbValue("aBMMC").toString() +
                      QStringLiteral("]年定金额：") + money(budget.Budget) +
                      QStringLiteral("　本年已领用：") + money(budget.Used));
}
