// The regions, departments, goods categories and basic lists as tree tables.
#include "client/masterdata/treetables.h"

#include "client/common/sqltext.h"
#include "client/forms/globalobj.h"
#include "client/forms/mdiwindows.h"
#include "client/widgets/dbgrid.h"

namespace {

// The form's name and caption, and the grid's key, name and parent columns.
void setUp(TTreeModelFrm &form, const char *name, const char *caption, const QString &keyTitle,
           const QString &nameTitle, const QString &parentTitle)
{
    form.setObjectName(QLatin1String(name));
    form.setWindowTitle(QString::fromUtf8(caption));
    TDBGridColumns &columns = form.DBGrid1->Columns();
    columns.Add(form.Table.KeyField, keyTitle, 70);
    columns.Add(form.Table.DisplayField, nameTitle, 160);
    columns.Add(QStringLiteral("ParentName"), parentTitle, 160);
}

// The rows with their parent's name beside them, for a table whose name column is nameField.
QString withParentName(const QString &table, const QString &key, const QString &nameField)
{
    return QStringLiteral(" SELECT A.") + nameField + QStringLiteral(" AS ParentName, C.* FROM ") +
           table + QStringLiteral(" C LEFT JOIN ") + table +
           QStringLiteral(" A ON C.ParentCode=A.") + key;
}

} // namespace

TfrmDq::TfrmDq(QWidget *parent)
    : TTreeModelFrm(parent)
{
    Table.TableName = QStringLiteral("DQ");
    Table.KeyField = QStringLiteral("ID");
    Table.DisplayField = QStringLiteral("MC");
    Table.ReferenceKind = QStringLiteral("DQ");
    Table.ParentKind = QStringLiteral("dq");
    Table.RootProtected = true;
    Table.UniqueProbe = QStringLiteral("select ID from Dq where 1=1 and ID =  ");
    Table.UniqueMessage = QStringLiteral("已有同名类型代码，请重新设置代码");
    setUp(*this, "frmDq", "地区资料", QStringLiteral("编号"), QStringLiteral("地区名称"),
          QStringLiteral("上级地区"));
    AddDetailEdit(QStringLiteral("ID"), QStringLiteral("地区编号"));
    AddDetailEdit(QStringLiteral("MC"), QStringLiteral("地区名称"));
    AddParentEdit(QStringLiteral("上级地区"));
}

QString TfrmDq::CommandText() const
{
    return withParentName(QStringLiteral("DQ"), QStringLiteral("ID"), QStringLiteral("MC"));
}

TDepartFrm::TDepartFrm(QWidget *parent)
    : TTreeModelFrm(parent)
{
    Table.TableName = QStringLiteral("BM");
    Table.KeyField = QStringLiteral("ID");
    Table.DisplayField = QStringLiteral("MC");
    Table.ReferenceKind = QStringLiteral("DEPT");
    Table.ParentKind = QStringLiteral("depart");
    Table.RootProtected = true;
    Table.UniqueProbe = QStringLiteral("select ID from BM where 1=1 and ID =  ");
    Table.UniqueMessage = QStringLiteral("已有同名类型代码，请重新设置部门代码");
    setUp(*this, "DepartFrm", "部门资料", QStringLiteral("编号"), QStringLiteral("部门名称"),
          QStringLiteral("上级部门"));
    DBGrid1->Columns().Add(QStringLiteral("ZJM"), QStringLiteral("助记码"), 80);
    AddDetailEdit(QStringLiteral("ID"), QStringLiteral("部门编号"));
    AddDetailEdit(QStringLiteral("MC"), QStringLiteral("部门名称"));
    AddParentEdit(QStringLiteral("上级部门"));
    AddDetailEdit(QStringLiteral("ZJM"), QStringLiteral("助记码"));
}

QString TDepartFrm::CommandText() const
{
    // The departments the user may see (every one without a department scope).
    return FuncRight().DeptSQL;
}

TItemTypeFrm::TItemTypeFrm(QWidget *parent)
    : TTreeModelFrm(parent)
{
    Table.TableName = QStringLiteral("Pub_ItemType");
    Table.KeyField = QStringLiteral("ItemType");
    Table.DisplayField = QStringLiteral("TypeName");
    Table.ReferenceKind = QStringLiteral("ItemType");
    Table.ParentKind = QStringLiteral("itemtype");
    Table.UniqueProbe =
        QStringLiteral("select ItemType from Pub_ItemType where 1=1 and ItemType =  ");
    Table.UniqueMessage = QStringLiteral("已有同名类型代码，请重新设置代码");
    setUp(*this, "ItemTypeFrm", "货品类别", QStringLiteral("编号"), QStringLiteral("类别名称"),
          QStringLiteral("上级类别"));
    AddDetailEdit(QStringLiteral("ItemType"), QStringLiteral("类别编号"));
    AddDetailEdit(QStringLiteral("TypeName"), QStringLiteral("类别名称"));
    AddParentEdit(QStringLiteral("上级类别"));
}

QString TItemTypeFrm::CommandText() const
{
    return FuncRight().ItemTypeSQL;
}

TPub_ProjectFrm::TPub_ProjectFrm(QWidget *parent)
    : TTreeModelFrm(parent)
{
    Table.TableName = QStringLiteral("Pub_Project");
    Table.KeyField = QStringLiteral("ItemType");
    Table.DisplayField = QStringLiteral("TypeName");
    Table.ParentKind = QStringLiteral("pub_Project");
    Table.UniqueProbe =
        QStringLiteral("select TypeName from pub_Project where 1=1 and TypeName =  ");
    Table.ProbeName = true;
    Table.UniqueMessage = QStringLiteral("已有同名项目，请重新设置名称");
    setUp(*this, "Pub_ProjectFrm", "基本资料", QStringLiteral("编号"), QStringLiteral("名称"),
          QStringLiteral("所属项目"));
    AddDetailEdit(QStringLiteral("ItemType"), QStringLiteral("编号"));
    AddDetailEdit(QStringLiteral("TypeName"), QStringLiteral("名称"));
    AddParentEdit(QStringLiteral("所属项目"));
}

QString TPub_ProjectFrm::Scope() const
{
    const QString text = ModeText(this);
    return text.isEmpty() ? QStringLiteral("office") : text;
}

void TPub_ProjectFrm::FormShow()
{
    Table.NewRowValues = {{QStringLiteral("VZSystem"), Scope()}};
    TTreeModelFrm::FormShow();
}

QString TPub_ProjectFrm::CommandText() const
{
    return QStringLiteral("select * from pub_Project where VZSystem = ") + QuotedStr(Scope());
}
