// The expenses.
#include "client/documents/fykz.h"

namespace {

const TIncomeExpenseKind Expenses{
    "frmFykz",
    "费用开支",
    {"FYKZZB", "FYKZ", "mnuFykz", "ID,ZBID; RQ,RQ", "DJBH; RQ; ABH; SFKFSID; ZHID"},
    "选择收支类别 - 支出类",
    "select * from SRZCLB where  BH = "};

} // namespace

TfrmFykz::TfrmFykz(QWidget *parent)
    : TfrmIncomeExpense(Expenses, parent)
{}

QString TfrmFykz::HeaderQuery(const QString &where)
{
    return HeaderQueryOf(QLatin1String(Expenses.Tables.HeaderTable), where);
}
