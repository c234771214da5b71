// The employee register.
#include "client/masterdata/employee.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/forms/procblobobj.h"
#include "client/masterdata/employeeedit.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/messagebox.h"

#include <QEvent>
#include <QStringList>
#include <QToolButton>

namespace {

// Where an employee is named: users, document headers, fixed-asset and personnel records.
// Deleting one of them would leave those rows pointing at nobody.
constexpr std::pair<const char *, const char *> EmployeeReferences[] = {
    {"AppUser", "YGID"},        {"CGSQZB", "YGID"},        {"CGDDZB", "YGID"},
    {"CGSHZB", "YGID"},         {"CGTHZB", "YGID"},        {"XSDDZB", "YGID"},
    {"XSKDZB", "YGID"},         {"XSTHZB", "YGID"},        {"LLZB", "YGID"},
    {"TLZB", "YGID"},           {"CKDBZB", "YGID"},        {"KCPDZB", "YGID"},
    {"QTKCBDZB", "YGID"},       {"CPJCZB", "YGID"},        {"FYKZZB", "YGID"},
    {"QTSRZB", "YGID"},         {"XSSKZB", "YGID"},        {"CGFKZB", "YGID"},
    {"CHTJZB", "YGID"},         {"SC_CGJHZB", "YGID"},     {"SC_ProduceOrderZB", "YGID"},
    {"SC_SCJHZB", "YGID"},      {"SC_WLXQJHZB", "YGID"},   {"SC_BOMZB", "YGID"},
    {"SC_WtjgZB", "YGID"},      {"Lskdzb", "YGID"},        {"Ckzzzb", "YGID"},
    {"CY_KDZB", "YGID"},        {"Wy_ZHBXzb", "YGID"},     {"Wy_SBWXzb", "YGID"},
    {"Inv_ItemList", "YGID"},   {"zc_item", "YGID"},       {"zc_zy", "YGID"},
    {"zc_wx", "YGID"},          {"zc_bg", "YGID"},         {"zc_jc", "YGID"},
    {"zc_gh", "YGID"},          {"zc_ql", "YGID"},         {"Rs_Work", "F_empID"},
    {"Rs_Contract", "F_empID"}, {"Rs_PX", "F_empID"},      {"Rs_KH", "F_empID"},
    {"Rs_DD", "F_empID"},       {"Rs_JC", "F_empID"},      {"Rs_TX", "F_empID"},
    {"Rs_ZJ", "F_empID"},       {"Oa_Leave", "F_empID"},   {"Oa_OverTime", "F_empID"},
    {"Oa_House", "F_empID"},    {"Oa_Keys", "F_empID"},    {"Oa_Pass", "F_empID"},
    {"Oa_Visit", "F_empID"},    {"Oa_Linkman", "F_empID"}, {"Gz_JJGZ", "F_empID"},
    {"GZ_JSGZ", "F_empID"},     {"Gz_Month", "F_empID"},
};

} // namespace

QString TfrmEemployee::ReferenceProbe(qint64 id)
{
    QStringList parts;
    for (const auto &[table, column] : EmployeeReferences)
        parts << QStringLiteral(" select top 1 1 from ") + QLatin1String(table) +
                     QStringLiteral(" where ") + QLatin1String(column) + QStringLiteral(" = ") +
                     QString::number(id);
    return parts.join(QStringLiteral(" union "));
}

TfrmEemployee::TfrmEemployee(QWidget *parent)
    : TfrmComJbzl(parent)
{
    setObjectName(QStringLiteral("frmEemployee"));
    setWindowTitle(QStringLiteral("员工资料"));
    TableName = QStringLiteral("YG");
    TDBGridColumns &columns = DBGrid1->Columns();
    const std::tuple<const char *, const char *, int> shown[] = {
        {"BH", "员工编号", 70},   {"XM", "姓名", 80},        {"ZJM", "助记码", 60},
        {"XB", "性别", 40},       {"aBMMC", "部门", 90},     {"ZW", "职务", 70},
        {"CSRQ", "出生日期", 80}, {"XL", "学历", 60},        {"DH", "电话", 90},
        {"BP", "手机", 95},       {"SFZH", "身份证号", 140}, {"RZRQ", "入职日期", 80},
        {"JBGZ", "基本工资", 70}, {"aYWYBZ", "业务员", 50},  {"aLZ", "离职", 40},
        {"ZZ", "地址", 150}};
    for (const auto &[field, title, width] : shown)
        columns.Add(QLatin1String(field), QString::fromUtf8(title), width);
}

TfrmEemployee::~TfrmEemployee() = default;

QString TfrmEemployee::ListSQL(int databaseKind, const QString &deptFrom, const QString &search,
                               const QString &deptCondition)
{
    const QString yes = QStringLiteral("是");
    const QString no = QStringLiteral("否");
    return QStringLiteral(" select Y.*, C.MC as aBMMC, 'yglb' as aYGLBMC, ") +
           SQLBoolText(databaseKind, QStringLiteral("YWYBZ"), yes, no) +
           QStringLiteral(" as aYWYBZ,") + QStringLiteral(" '月薪' as aJSFF, ") +
           SQLBoolText(databaseKind, QStringLiteral("LZ"), yes, no) + QStringLiteral(" as aLZ") +
           QStringLiteral(" from YG Y inner join ") + deptFrom +
           QStringLiteral(" on Y.BMID = C.ID where 1=1 ") + search + deptCondition +
           QStringLiteral(" order by BH ");
}

QString TfrmEemployee::DeptCondition(const QString &deptId)
{
    QString ids = FuncRight().DeptSubtree(deptId, QStringLiteral("id"),
                                          TSystemFunctionRight::DeptTreeRowsSQL);
    // A department that has vanished meanwhile lists nobody rather than breaking the query.
    if (ids.isEmpty())
        ids = QStringLiteral("-1");
    return QStringLiteral(" and C.ID In(") + ids + QStringLiteral(")");
}

void TfrmEemployee::FormCreate()
{
    TfrmComJbzl::FormCreate();
    m_pictures = std::make_unique<TProcBlobObj>(QStringLiteral("yg_pict"));
}

void TfrmEemployee::FormShow()
{
    DBGrid1->SetDataSource(&Data().sYg());
    TfrmComJbzl::FormShow();
    // Adding and changing employees is for those granted the register itself.
    const TSystemFunctionRight &rights = FuncRight();
    const bool mayEdit = rights.IsAdministrator() ||
                         rights.MenuList.contains(QStringLiteral("mnuYg"), Qt::CaseInsensitive);
    if (!mayEdit) {
        btnModify->hide();
        btnNew->hide();
        // Double-click and the keys reach the actions too.
        aModify->SetTag(1);
        aNew->SetTag(1);
        SetButton();
    }
    stDBTree1->expandToDepth(1);
}

void TfrmEemployee::FormClose()
{
    m_pictureFollower.Close();
    TfrmComJbzl::FormClose();
}

void TfrmEemployee::SetTreeParam()
{
    stDBTree1->SetFields(QStringLiteral("ID"), QStringLiteral("ParentCode"), QStringLiteral("MC"),
                         QStringLiteral("MC"));
    stDBTree1->SetRootText(QStringLiteral("全部部门"));
    cdsTree->SetCommandText(QStringLiteral(" SELECT A.MC  AS ParentName, C.*  FROM  ") +
                            FuncRight().DeptFrom +
                            QStringLiteral(" LEFT JOIN  BM  A ON C.ParentCode=A.ID"));
    cdsTree->Close();
    cdsTree->Open();
    stDBTree1->Rebuild();
}

void TfrmEemployee::OpenDataSet()
{
    if (ListDataSet) {
        ListDataSet->SetCommandText(
            ListSQL(SessionInfo().DatabaseKind, FuncRight().DeptFrom,
                    SearchCondition(QStringLiteral("Y.BH"), QStringLiteral("Y.XM"),
                                    QStringLiteral("Y.ZJM")),
                    m_deptCondition));
    }
    TfrmComJbzl::OpenDataSet();
}

void TfrmEemployee::TreeNodeSelected(bool ShowAll)
{
    const QString key = stDBTree1->SelectedKey();
    m_deptCondition = ShowAll || key.isEmpty() ? QString() : DeptCondition(key);
    OpenDataSet();
}

void TfrmEemployee::aDelExecute()
{
    if (!ListDataSet || !ListDataSet->Active() || ListDataSet->IsEmpty()) {
        TfrmComJbzl::aDelExecute();
        return;
    }
    const auto id = PictureOwnerId(ListDataSet->FieldByName(QStringLiteral("ID"))->AsString());
    if (!id)
        return;
    if (HasRows(ReferenceProbe(*id))) {
        MessageBox(QStringLiteral("该员工已被用户、单据或人事记录引用,不能删除！"),
                   QStringLiteral("资料删除失败"), TMsgIcon::Warning);
        return;
    }
    if (MessageBox(QStringLiteral("确定要删除此项资料吗?"), QStringLiteral("资料删除"),
                   TMsgIcon::Question, TMsgButtons::YesNo, mrNo) != mrYes)
        return;
    TClientDataSet &ds = *ListDataSet;
    ds.Delete();
    // The employee and the photo go together or not at all.
    TAtomicRequest request;
    request.Apply(ds);
    request.Execute(QStringLiteral("delete from YG_Pict where  ygid=") + QString::number(*id));
    const TAtomicResult result = request.Send();
    if (!result.Ok) {
        ds.CancelUpdates();
        MessageBox(QStringLiteral("删除员工失败：") + result.Message, QStringLiteral("资料删除"),
                   TMsgIcon::Error);
    }
    SetButton();
}

void TfrmEemployee::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmEmployeeEdit(this);
    TfrmComJbzl::LoadEditForm(Mode);
}

void TfrmEemployee::GetSearchModalValue()
{
    if (!ListDataSet || !ListDataSet->Active() || ListDataSet->IsEmpty())
        return;
    TClientDataSet &ds = *ListDataSet;
    ResultID = ds.FieldByName(QStringLiteral("ID"))->AsString();
    ResultName = ds.FieldByName(QStringLiteral("XM"))->AsString();
    ResultDeptID = ds.FieldByName(QStringLiteral("BMID"))->AsString();
    ResultDeptName = ds.FieldByName(QStringLiteral("aBMMC"))->AsString();
}

void TfrmEemployee::dsAfterScroll(TClientDataSet &DataSet)
{
    TfrmComJbzl::dsAfterScroll(DataSet);
    m_pictureFollower.RowChanged();
}

void TfrmEemployee::FormActivate()
{
    m_pictureFollower.Activated();
}

void TfrmEemployee::changeEvent(QEvent *event)
{
    TfrmComJbzl::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        m_pictureFollower.ActivationChanged();
}

QByteArray TfrmEemployee::currentPicture()
{
    if (!ListDataSet || !ListDataSet->Active() || ListDataSet->IsEmpty() || !m_pictures)
        return {};
    return m_pictures->Bytes(ListDataSet->FieldByName(QStringLiteral("ID"))->AsString());
}
