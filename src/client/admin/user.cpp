// The user list.
#include "client/admin/user.h"

#include "client/admin/useredit.h"
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbgrid.h"

#include <QLineEdit>
#include <QTabBar>
#include <QToolButton>

TfrmSysUser::TfrmSysUser(QWidget *parent)
    : TfrmComJbzl(parent)
{
    setObjectName(QStringLiteral("frmSysUser"));
    setWindowTitle(QStringLiteral("用户管理"));
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("uCode"), QStringLiteral("用户编码"), 80);
    columns.Add(QStringLiteral("uName"), QStringLiteral("用户名称"), 100);
    columns.Add(QStringLiteral("uPassword"), QStringLiteral("用户密码"), 80);
    columns.Add(QStringLiteral("gName"), QStringLiteral("用户组"), 160);
    columns.Add(QStringLiteral("YGID"), QStringLiteral("员工ID"), 60);
    columns.Add(QStringLiteral("aYGMC"), QStringLiteral("员工名称"), 100);
}

void TfrmSysUser::FormShow()
{
    DBGrid1->SetDataSource(&Data().sAppUser());
    if (TColumn *password = DBGrid1->Columns().FindByFieldName(QStringLiteral("uPassword")))
        password->SetVisible(FuncRight().IsAdministrator());
    TfrmComJbzl::FormShow();
    // Users have no audit state; they are deleted here like master data.
    TabStatus->hide();
    aDel->setVisible(true);
}

void TfrmSysUser::OpenDataSet()
{
    if (ListDataSet) {
        QString sql = QStringLiteral("select * from AppUser where 1=1");
        const QString text = RzBtnNo->text().trimmed();
        if (!text.isEmpty()) {
            const QString prefix = QuotedStr(text + QLatin1Char('%'));
            sql += QStringLiteral(" and (uCode like ") + prefix +
                   QStringLiteral(" or uName like ") + prefix + QLatin1Char(')');
        }
        ListDataSet->SetCommandText(sql + QStringLiteral(" order by ID"));
    }
    TfrmComJbzl::OpenDataSet();
}

void TfrmSysUser::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmSysUserEdit(this);
    TfrmComJbzl::LoadEditForm(Mode);
}

bool TfrmSysUser::refuseAdministrator(const QString &message)
{
    if (!ListDataSet || !ListDataSet->Active() || ListDataSet->IsEmpty())
        return false;
    if (ListDataSet->FieldByName(QStringLiteral("uCode"))->AsString().toUpper() !=
        QLatin1String("SYS"))
        return false;
    MessageBox(message, QStringLiteral("用户管理"), TMsgIcon::Warning);
    return true;
}

void TfrmSysUser::aModifyExecute()
{
    if (refuseAdministrator(QStringLiteral("不能修改 'SYS - 管理员' 的资料!")))
        return;
    TfrmComJbzl::aModifyExecute();
}

void TfrmSysUser::aDelExecute()
{
    if (refuseAdministrator(QStringLiteral("不能删除 'SYS - 管理员' 的资料!")))
        return;
    TfrmComJbzl::aDelExecute();
}

void TfrmSysUser::GetSearchModalValue()
{
    TfrmComJbzl::GetSearchModalValue();
    if (!ListDataSet || ListDataSet->IsEmpty())
        return;
    ResultID = ListDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    ResultName = ListDataSet->FieldByName(QStringLiteral("uName"))->AsString();
}
