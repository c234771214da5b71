// The customer and supplier lists.
#include "client/masterdata/partnerlist.h"

#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/forms/checkreferenced.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/editrows.h"
#include "client/masterdata/partneredit.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/messagebox.h"

#include <QLineEdit>

namespace {

const QString RegionRowsSQL = QStringLiteral(" select ID, ParentCode,MC  from dq");

} // namespace

bool RefuseWalkInCustomerDelete(const TClientDataSet &customers)
{
    if (customers.FieldByName(QStringLiteral("ID"))->AsString() != QLatin1String("1"))
        return false;
    MessageBox(QStringLiteral("散客不能删除！"), QStringLiteral("资料删除"), TMsgIcon::Warning);
    return true;
}

TfrmRegionPartnerList::TfrmRegionPartnerList(QWidget *parent, const QString &select,
                                             const QString &alias, const QString &regionColumn)
    : TfrmComJbzl(parent)
    , m_select(select)
    , m_alias(alias)
    , m_regionColumn(regionColumn)
{}

QString TfrmRegionPartnerList::RegionCondition(const QString &column, const QString &subtree)
{
    if (subtree.isEmpty())
        return {};
    return QStringLiteral(" and ") + column + QStringLiteral(" In(") + subtree +
           QStringLiteral(" )");
}

void TfrmRegionPartnerList::FormCreate()
{
    TfrmComJbzl::FormCreate();
    PanelLeft->setVisible(true);
}

void TfrmRegionPartnerList::SetTreeParam()
{
    cdsTree->Close();
    cdsTree->SetProviderName(QStringLiteral("pDq"));
    cdsTree->SetCommandText(RegionRowsSQL + QStringLiteral(" order by MC"));
    stDBTree1->SetFields(QStringLiteral("ID"), QStringLiteral("ParentCode"), QStringLiteral("MC"),
                         QStringLiteral("MC"));
    cdsTree->Open();
    stDBTree1->Rebuild();
    stDBTree1->expandToDepth(0);
}

void TfrmRegionPartnerList::OpenDataSet()
{
    if (ListDataSet) {
        const QString a = m_alias + QLatin1Char('.');
        ListDataSet->SetCommandText(
            m_select +
            SearchCondition(a + QStringLiteral("bh"), a + QStringLiteral("MC"),
                            a + QStringLiteral("zjm")) +
            m_regionCondition + QStringLiteral(" order by ") + a + QStringLiteral("BH"));
    }
    TfrmComJbzl::OpenDataSet();
}

void TfrmRegionPartnerList::TreeNodeSelected(bool ShowAll)
{
    m_regionCondition =
        ShowAll ? QString()
                : RegionCondition(m_regionColumn,
                                  FuncRight().DeptSubtree(stDBTree1->SelectedKey(),
                                                          QStringLiteral("id"), RegionRowsSQL));
    OpenDataSet();
}

void TfrmRegionPartnerList::GetSearchModalValue()
{
    TfrmComJbzl::GetSearchModalValue();
    if (!ListDataSet || ListDataSet->IsEmpty())
        return;
    ResultID = ListDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    ResultName = ListDataSet->FieldByName(QStringLiteral("MC"))->AsString();
}

TfrmCust::TfrmCust(QWidget *parent)
    : TfrmRegionPartnerList(
          parent,
          QStringLiteral(" select K.*,D.MC as aDQMC,VIPName, K.QMJE-K.YXJE as aSJJE  from (KH K "
                         "left outer join DQ D on K.DQID=D.ID) left outer join VIP V on "
                         "K.LevelID=V.id where 1=1 "),
          QStringLiteral("K"), QStringLiteral("D.ID"))
{
    setObjectName(QStringLiteral("frmCust"));
    setWindowTitle(QStringLiteral("客户资料"));
    TableName = QStringLiteral("KH");
    AddColumns(DBGrid1, {{"BH", "编号", 70},
                         {"MC", "名称", 150},
                         {"ZJM", "助记码", 70},
                         {"aDQMC", "地区", 70},
                         {"LXR", "联系人", 70},
                         {"DH", "电话", 100},
                         {"aSJJE", "应收款", 80},
                         {"XYED", "信用额度", 80},
                         {"ZKDJ", "折扣等级", 70},
                         {"PriceLevel", "价格等级", 70},
                         {"Laiy", "来源", 70},
                         {"Zhuangt", "状态", 70},
                         {"VIPName", "客户等级", 70},
                         {"XYDJ", "信用等级", 70},
                         {"QC", "全称", 180},
                         {"DZ", "地址", 180}});
}

void TfrmCust::FormShow()
{
    DBGrid1->SetDataSource(&Data().sKh());
    TfrmRegionPartnerList::FormShow();
}

void TfrmCust::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmCustomEdit(this);
    TfrmRegionPartnerList::LoadEditForm(Mode);
}

void TfrmCust::aDelExecute()
{
    if (ListDataSet && ListDataSet->Active() && !ListDataSet->IsEmpty()) {
        // Refused before the (slower) reference check.
        if (RefuseWalkInCustomerDelete(*ListDataSet))
            return;
        if (CheckReferenced(QStringLiteral("Cust"),
                            ListDataSet->FieldByName(QStringLiteral("ID"))->AsString()))
            return;
    }
    TfrmRegionPartnerList::aDelExecute();
}

void TfrmCust::GetSearchModalValue()
{
    TfrmRegionPartnerList::GetSearchModalValue();
    if (ListDataSet && !ListDataSet->IsEmpty())
        ResultPriceLevel = ListDataSet->FieldByName(QStringLiteral("PriceLevel"))->AsString();
}

TfrmVendCust::TfrmVendCust(QWidget *parent)
    : TfrmRegionPartnerList(parent,
                            QStringLiteral(" select G.*,QMJE-YXJE as aSJJE, C.MC as aDQMC from "
                                           "GYS G left join DQ C on G.DQID=C.ID where 1=1 "),
                            QStringLiteral("G"), QStringLiteral("C.ID"))
{
    setObjectName(QStringLiteral("frmVendCust"));
    setWindowTitle(QStringLiteral("供应商资料"));
    TableName = QStringLiteral("GYS");
    AddColumns(DBGrid1, {{"BH", "编号", 70},
                         {"MC", "名称", 150},
                         {"ZJM", "助记码", 70},
                         {"aDQMC", "地区", 70},
                         {"LXR", "联系人", 70},
                         {"DH", "电话", 100},
                         {"CZ", "传真", 100},
                         {"aSJJE", "应付款", 80},
                         {"QC", "全称", 180},
                         {"DZ", "地址", 180},
                         {"BZ", "备注", 160}});
}

void TfrmVendCust::FormShow()
{
    DBGrid1->SetDataSource(&Data().sGys());
    TfrmRegionPartnerList::FormShow();
}

void TfrmVendCust::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmVendCustEdit(this);
    TfrmRegionPartnerList::LoadEditForm(Mode);
}

void TfrmVendCust::aDelExecute()
{
    if (ListDataSet && ListDataSet->Active() && !ListDataSet->IsEmpty() &&
        CheckReferenced(QStringLiteral("PUR"),
                        ListDataSet->FieldByName(QStringLiteral("ID"))->AsString()))
        return;
    TfrmRegionPartnerList::aDelExecute();
}
