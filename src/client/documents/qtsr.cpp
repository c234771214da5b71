// The other income.
#include "client/documents/qtsr.h"

namespace {

const TIncomeExpenseKind OtherIncome{
    "frmQtsr",
    "其它收入",
    {"QTSRZB", "QTSR", "mnuQtsr", "ID,ZBID; RQ,RQ", "DJBH; RQ; ABH; SFKFSID; ZHID"},
    "选择收支类别 - 收入类",
    "select * from SRZCLB where 1=1 and BH = "};

} // namespace

TfrmQtsr::TfrmQtsr(QWidget *parent)
    : TfrmIncomeExpense(OtherIncome, parent)
{}

QString TfrmQtsr::HeaderQuery(const QString &where)
{
    return HeaderQueryOf(QLatin1String(OtherIncome.Tables.HeaderTable), where);
}
