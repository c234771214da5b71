// The supplier, customer and income/expense category pickers.
#include "client/masterdata/partnerhelp.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/masterdata/codeedit.h"
#include "client/masterdata/goodssql.h"
#include "client/masterdata/partneredit.h"
#include "client/masterdata/partnerlist.h"
#include "client/widgets/dbgrid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct ColumnSpec
{
    const char *field;
    const char *title;
    int width;
};

template<size_t N>
void addColumns(TDBGrid *grid, const ColumnSpec (&columns)[N])
{
    for (const ColumnSpec &c : columns)
        grid->Columns().Add(QLatin1String(c.field), QString::fromUtf8(c.title), c.width);
}

// A third and fourth search box beside the two of the base.
QLineEdit *extraBox(TfrmComHelp *form, QHBoxLayout *row, const char *name, const QString &label,
                    const QString &hint)
{
    auto *caption = new QLabel(label, form);
    auto *edit = new QLineEdit(form);
    edit->setObjectName(QLatin1String(name));
    TfrmComHelp::SetHint(edit, hint);
    row->insertWidget(row->count() - 2, caption);
    row->insertWidget(row->count() - 2, edit, 1);
    return edit;
}

} // namespace

void TfrmPartnerHelp::btnOkClick()
{
    if (!SimpleMode) {
        TfrmComHelp::btnOkClick();
        return;
    }
    if (!btnOk->isEnabled() || !HelpDataSet)
        return;
    ResultID = HelpDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    ResultMC = HelpDataSet->FieldByName(QStringLiteral("MC"))->AsString();
    Selected = true;
    SetModalResult(mrOk);
}

TfrmGysHelp::TfrmGysHelp(QWidget *parent)
    : TfrmPartnerHelp(parent)
{
    setObjectName(QStringLiteral("frmGysHelp"));
    setWindowTitle(QStringLiteral("选择供应商"));
    SetHint(Edit1, QStringLiteral("%BH"));
    SetHint(Edit2, QStringLiteral("%MC"));
    extraBox(this, SearchRow(), "Edit3", QStringLiteral("联系人"), QStringLiteral("%LXR"));
    extraBox(this, SearchRow(), "Edit4", QStringLiteral("其它"), QStringLiteral("%S1"));
    const ColumnSpec columns[] = {{"BH", "编号", 70},
                                  {"MC", "名称", 180},
                                  {"LXR", "联系人", 70},
                                  {"DH", "电话", 100},
                                  {"aSJJE", "应付款", 80}};
    addColumns(DBGrid1, columns);
}

void TfrmGysHelp::FormShow()
{
    DBGrid1->SetDataSource(&Data().sGys());
    TfrmPartnerHelp::FormShow();
}

void TfrmGysHelp::OpenData()
{
    HelpDataSet->Close();
    HelpDataSet->SetCommandText(
        QStringLiteral(" select *,QMJE-YXJE as aSJJE  from GYS  where not ZT ") + FilterText +
        QStringLiteral(" order by BH"));
    HelpDataSet->Open();
}

TfrmComEdit *TfrmGysHelp::CreateEditForm()
{
    return new TfrmVendCustEdit(this);
}

TfrmKhHelp::TfrmKhHelp(QWidget *parent)
    : TfrmPartnerHelp(parent)
{
    setObjectName(QStringLiteral("frmKhHelp"));
    setWindowTitle(QStringLiteral("选择客户"));
    SetHint(Edit1, QStringLiteral("%K.BH"));
    SetHint(Edit2, QStringLiteral("%K.MC"));
    extraBox(this, SearchRow(), "Edit3", QStringLiteral("其它"), QStringLiteral("%K.S1"));
    extraBox(this, SearchRow(), "Edit4", QStringLiteral("联系人"), QStringLiteral("%K.LXR"));
    const ColumnSpec columns[] = {{"BH", "编号", 70},    {"MC", "名称", 180},
                                  {"aDQMC", "地区", 70}, {"LXR", "联系人", 70},
                                  {"DH", "电话", 100},   {"aSJJE", "应收款", 80}};
    addColumns(DBGrid1, columns);
}

void TfrmKhHelp::FormShow()
{
    DBGrid1->SetDataSource(&Data().sKh());
    TfrmPartnerHelp::FormShow();
}

TfrmComEdit *TfrmKhHelp::CreateEditForm()
{
    return new TfrmCustomEdit(this);
}

void TfrmKhHelp::btnDelClick()
{
    if (HelpDataSet && HelpDataSet->Active() && !HelpDataSet->IsEmpty() &&
        RefuseWalkInCustomerDelete(*HelpDataSet))
        return;
    TfrmPartnerHelp::btnDelClick();
}

TfrmSrzclbHelp::TfrmSrzclbHelp(QWidget *parent)
    : TfrmComHelp(parent)
{
    setObjectName(QStringLiteral("frmSrzclbHelp"));
    setWindowTitle(QStringLiteral("选择收支类别"));
    SetHint(Edit1, QStringLiteral("BH"));
    SetHint(Edit2, QStringLiteral("%MC"));
    extraBox(this, SearchRow(), "Edit3", QStringLiteral("说明"), QStringLiteral("%BZ"));
    const ColumnSpec columns[] = {
        {"BH", "编号", 70}, {"MC", "名称", 160}, {"aSRL", "类别", 70}, {"BZ", "说明", 160}};
    addColumns(DBGrid1, columns);
}

void TfrmSrzclbHelp::FormShow()
{
    DBGrid1->SetDataSource(&Data().sSrzclb());
    TfrmComHelp::FormShow();
}

QString TfrmSrzclbHelp::FilterOfCaption(const QString &caption, int databaseKind)
{
    if (caption == QStringLiteral("选择收支类别"))
        return {};
    const bool income = caption != QStringLiteral("选择收支类别 - 支出类");
    return QStringLiteral("SRL = ") + goods::BoolLiteral(databaseKind, income);
}

QString TfrmSrzclbHelp::GetFilter()
{
    return FilterOfCaption(windowTitle(), SessionInfo().DatabaseKind);
}

void TfrmSrzclbHelp::OpenData()
{
    const int kind = SessionInfo().DatabaseKind;
    HelpDataSet->Close();
    HelpDataSet->SetCommandText(QStringLiteral("select *,") +
                                SQLIif(kind, QStringLiteral("SRL"), QStringLiteral("'收入类'"),
                                       QStringLiteral("'支出类'")) +
                                QStringLiteral(" as aSRL from SRZCLB  where 1=1 ") +
                                AndFilter(FilterText) + QStringLiteral(" order by BH"));
    HelpDataSet->Open();
}

TfrmComEdit *TfrmSrzclbHelp::CreateEditForm()
{
    return new TfrmSrzclbEdit(this);
}
