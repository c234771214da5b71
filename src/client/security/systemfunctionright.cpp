// The rights object: the user, the company settings, group rights and data scope.
#include "client/security/systemfunctionright.h"

#include "client/common/sqltext.h"
#include "client/data/clientdataset.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QWidget>

namespace {

QString fieldText(const TClientDataSet &dataSet, const QString &name)
{
    const TField *field = dataSet.FindField(name);
    return field && !field->IsNull() ? field->AsString() : QString();
}

bool fieldBool(const TClientDataSet &dataSet, const QString &name)
{
    const TField *field = dataSet.FindField(name);
    return field && !field->IsNull() && field->AsBoolean();
}

} // namespace

const QString TSystemFunctionRight::DefaultDeptIDs = QStringLiteral(" select id from bm ");
const QString TSystemFunctionRight::DefaultWarehouseSQL =
    QStringLiteral(" select b.mc as bmmc,c.* from CK  C  left join BM B on c.bmid=b.id ");
const QString TSystemFunctionRight::DefaultWarehouseFrom = QStringLiteral(" CK C ");
const QString TSystemFunctionRight::DefaultDeptSQL = QStringLiteral(
    " SELECT A.MC  AS ParentName, C.* FROM BM C LEFT JOIN  BM  A ON C.ParentCode=A.ID");
const QString TSystemFunctionRight::DefaultDeptFrom = QStringLiteral(" BM C ");
const QString TSystemFunctionRight::DefaultEmployeeNamesSQL =
    QStringLiteral("select XM from YG  order by XM ");
const QString TSystemFunctionRight::DefaultItemTypeSQL = QStringLiteral(
    " SELECT A.TypeName AS ParentName, C.* FROM Pub_ItemType  C LEFT JOIN Pub_ItemType  A ON "
    "C.ParentCode=A.ItemType");
const QString TSystemFunctionRight::DefaultItemTypeFrom = QStringLiteral(" Pub_ItemType  C");
const QString TSystemFunctionRight::DeptTreeRowsSQL =
    QStringLiteral(" select ID, ParentCode,MC  from bm");

void OpenQuery(TClientDataSet &dataSet, const QString &sqlText)
{
    dataSet.Close();
    dataSet.SetCommandText(sqlText);
    dataSet.Open();
}

void TSystemFunctionRight::SetDataSets(TClientDataSet *tmp, TClientDataSet *tmpf,
                                       TClientDataSet *tmpl)
{
    m_tmp = tmp;
    m_tmpf = tmpf;
    m_tmpl = tmpl;
}

bool TSystemFunctionRight::IsAdministrator() const
{
    return UserCode.toUpper() == QLatin1String("SYS");
}

TExcelPageSetup ParseExcelPageSetup(const QString &text)
{
    TExcelPageSetup margins;
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() < 6)
        return margins;
    double *fields[] = {&margins.Top,   &margins.Bottom, &margins.Left,
                        &margins.Right, &margins.Header, &margins.Footer};
    for (int i = 0; i < 6; ++i)
        *fields[i] = parts[i].trimmed().toDouble();
    return margins;
}

QString ExcelPageSetupText(const TExcelPageSetup &margins)
{
    QStringList parts;
    for (double value :
         {margins.Top, margins.Bottom, margins.Left, margins.Right, margins.Header, margins.Footer})
        parts << QString::number(value);
    return parts.join(QLatin1Char(','));
}

void TSystemFunctionRight::LoadCompanySettings()
{
    AttrList.clear();
    AttrColumns.clear();
    OpenQuery(*m_tmpf, QStringLiteral(" select * from CompanyInfo "));
    ReadCompanySettings(*m_tmpf);
}

void TSystemFunctionRight::ReadCompanySettings(const TClientDataSet &info)
{
    AttrList.clear();
    AttrColumns.clear();
    if (info.IsEmpty())
        return;
    CompanyName = fieldText(info, QStringLiteral("fCompanyName"));
    Tel = fieldText(info, QStringLiteral("fTel"));
    Address = fieldText(info, QStringLiteral("fAddress"));
    AuditNum = fieldText(info, QStringLiteral("fAuditNum")).toInt();
    IsAutoAlarm = fieldBool(info, QStringLiteral("fIsAutoAlarm"));
    IsOrderKC = fieldBool(info, QStringLiteral("fIsOrderKC"));

    // A short text keeps the margins read before.
    const QString setup = fieldText(info, QStringLiteral("fExcelPageSetup"));
    if (setup.count(QLatin1Char(',')) >= 5)
        ExcelPageSetup = ParseExcelPageSetup(setup);

    const TField *zk = info.FindField(QStringLiteral("fZK"));
    const double discount =
        QString::asprintf("%.2f", zk && !zk->IsNull() ? zk->AsFloat() : 0.0).toDouble();
    DefaultDiscount = discount == 0 ? 1.0 : discount;
    IsFSCK = fieldBool(info, QStringLiteral("fIsFSCK"));
    DeptScope = fieldBool(info, QStringLiteral("fBoolean2"));
    Boolean3 = fieldBool(info, QStringLiteral("fBoolean3"));
    Boolean4 = fieldBool(info, QStringLiteral("fBoolean4"));

    for (int n = 1; n <= 6; ++n) {
        const QString caption = fieldText(info, QStringLiteral("HP_SX%1").arg(n));
        if (caption.isEmpty())
            continue;
        const QString field = QStringLiteral("SX%1").arg(n);
        AttrColumns += QLatin1Char(',') + field;
        AttrList.append({QStringLiteral("HP_SX%1").arg(n), THPSXObj{field, caption}});
    }
}

void TSystemFunctionRight::LoadRights(const QString &userCode, const QString &groupIDs,
                                      const QString &treeTable)
{
    FuncItems.clear();
    if (userCode.toUpper() != QLatin1String("SYS")) {
        DeptNames.clear();
        OpenQuery(*m_tmpf, QStringLiteral("select bmid from AppUserGroup where id in ") + groupIDs);
        QStringList scope;
        for (m_tmpf->First(); !m_tmpf->Eof(); m_tmpf->Next()) {
            DeptID = fieldText(*m_tmpf, QStringLiteral("bmid"));
            // A group without a department adds nothing rather than an empty list entry.
            const QString subtree = DeptSubtree(DeptID, QStringLiteral("id"));
            if (!subtree.isEmpty())
                scope << subtree;
        }
        m_tmpf->Close();
        DeptIDs = scope.join(QLatin1Char(','));
        // Groups without a department see no department's data rather than a query that
        // does not parse.
        if (DeptIDs.isEmpty())
            DeptIDs = QStringLiteral("-1");

        if (DeptScope) {
            const QString &s = DeptIDs;
            WarehouseSQL = QStringLiteral(" select b.mc as bmmc,c.* from CK  C  left join BM B on "
                                          "c.bmid=b.id where BMID in (") +
                           s + QStringLiteral(") ");
            WarehouseFrom = QStringLiteral(" (") + WarehouseSQL + QStringLiteral(") C ");
            EmployeeNamesSQL = QStringLiteral(" select XM from YG where bmid in(") + s +
                               QStringLiteral(") order by XM ");
            DeptSQL = QStringLiteral(" SELECT A.MC  AS ParentName, C.* FROM BM C LEFT JOIN  BM  A "
                                     "ON C.ParentCode=A.ID where C.ID in (") +
                      s + QStringLiteral(") ");
            DeptFrom = QStringLiteral("(") + DeptSQL + QStringLiteral(") C ");
        }

        OpenQuery(
            *m_tmpl,
            QStringLiteral(" select distinct a.FuncNodeNo,a.ObjectName,b.FuncNodeName,FuncItems "
                           "from Sys_GroupFuncRight a left join ") +
                treeTable + QStringLiteral(" b on a.FuncNodeNo=b.FuncNodeNo") +
                QStringLiteral(" where UserGroupNo in ") + GroupIDs);
        for (m_tmpl->First(); !m_tmpl->Eof(); m_tmpl->Next()) {
            FuncItems.append({fieldText(*m_tmpl, QStringLiteral("FuncNodeNo")),
                              fieldText(*m_tmpl, QStringLiteral("FuncNodeName")),
                              fieldText(*m_tmpl, QStringLiteral("ObjectName")),
                              fieldText(*m_tmpl, QStringLiteral("FuncItems"))});
        }
        m_tmpl->Close();
    }

    OpenQuery(*m_tmp, QStringLiteral("select Top 1 ID from ") + WarehouseFrom);
    if (!m_tmp->IsEmpty())
        DefaultWarehouseID = m_tmp->Fields(0)->AsInteger();
    m_tmp->Close();

    if (userCode.toUpper() != QLatin1String("SYS")) {
        ItemTypeSQL = DefaultItemTypeSQL +
                      QStringLiteral(" where C.ItemType not in (select ItemType from "
                                     "Sys_GroupUnRight_HPLB where UserGroupNo in ") +
                      groupIDs + QStringLiteral(") ");
        ItemTypeFrom = QStringLiteral("(") + ItemTypeSQL + QStringLiteral(") C ");
    }
}

const TFuncRightItem *TSystemFunctionRight::FindRight(const QString &objectName) const
{
    for (const TFuncRightItem &item : FuncItems) {
        if (item.ObjectName.compare(objectName, Qt::CaseInsensitive) == 0)
            return &item;
    }
    return nullptr;
}

bool TSystemFunctionRight::HasRight(const QString &objectName) const
{
    // Exactly "SYS" here, as the exit question has always checked it.
    return UserCode == QLatin1String("SYS") || FindRight(objectName);
}

void TSystemFunctionRight::ApplyMenuRights(QObject *root)
{
    const bool admin = IsAdministrator();
    MenuList.clear();
    auto setEnabled = [](QObject *object, bool enabled) {
        if (auto *action = qobject_cast<QAction *>(object))
            action->setEnabled(enabled);
        else if (auto *widget = qobject_cast<QWidget *>(object))
            widget->setEnabled(enabled);
    };
    for (QObject *object : root->findChildren<QObject *>()) {
        const QString name = object->objectName();
        if (!name.startsWith(QLatin1String("mnu")))
            continue;
        bool enabled = admin || FindRight(name);
        if (enabled)
            MenuList << name;
        if (object->property("largeButton").toBool())
            enabled = admin || FindRight(name.chopped(1));
        setEnabled(object, enabled);
    }
}

void TSystemFunctionRight::ApplyWorkspaceRights(QObject *workspace)
{
    const bool admin = IsAdministrator();
    for (QWidget *widget : workspace->findChildren<QWidget *>()) {
        if (!widget->property("workspaceTile").toBool())
            continue;
        widget->setEnabled(admin || FindRight(widget->objectName()));
    }
}

void TSystemFunctionRight::GetFormRights(const QString &groupIDs, const QString &userCode,
                                         TClientDataSet &dataSet, const QString &objectName)
{
    if (userCode.toUpper() == QLatin1String("SYS")) {
        CanInsert = CanDelete = CanAudit = CanAuditLevel = CanUnAudit = CanPrint = true;
        return;
    }
    OpenQuery(dataSet,
              QStringLiteral(" select FuncItems from Sys_GroupFuncRight  where UserGroupNo in ") +
                  groupIDs + QStringLiteral(" and ObjectName = ") + QuotedStr(objectName));
    // Only the first row counts, whichever group it comes from.
    const QString items =
        dataSet.IsEmpty() ? QString() : fieldText(dataSet, QStringLiteral("FuncItems"));
    dataSet.Close();
    CanInsert = items.contains(QLatin1String("Insert"));
    CanDelete = items.contains(QLatin1String("Delete"));
    CanAudit = items.contains(QLatin1String("Auditing"));
    CanUnAudit = items.contains(QLatin1String("UnAudit"));
    CanPrint = items.contains(QLatin1String("Print"));
    CanAuditLevel = false;
    AuditLevels.clear();
    if (CanAudit) {
        for (const QString &part : items.split(QLatin1Char(','))) {
            if (part.contains(QLatin1String("Auditing")) && !part.isEmpty())
                AuditLevels << part.right(1);
        }
    }
}

bool TSystemFunctionRight::CheckAuditLevel(const QString &userCode, int level)
{
    const bool result =
        userCode.toUpper() == QLatin1String("SYS") || AuditLevels.contains(QString::number(level));
    CanAudit = result;
    CanAuditLevel = result;
    return result;
}

QString TSystemFunctionRight::DeptSubtreeOf(const QList<TDeptRow> &rows, const QString &root,
                                            const QString &column)
{
    QStringList parts;
    const bool byName = column.compare(QLatin1String("mc"), Qt::CaseInsensitive) == 0;
    auto parentOf = [&rows](const QString &id, QString *parent) {
        for (const TDeptRow &row : rows) {
            if (row.ID.compare(id, Qt::CaseInsensitive) == 0) {
                *parent = row.ParentCode;
                return true;
            }
        }
        return false;
    };
    for (const TDeptRow &row : rows) {
        bool included = row.ID.compare(root, Qt::CaseInsensitive) == 0;
        QString code = row.ParentCode.trimmed();
        // A dangling parent code ends the walk as "not below the root"; the step limit
        // guards against a cycle in the tree.
        for (int steps = 0; !included && steps < rows.size() + 1; ++steps) {
            if (code.isEmpty() || code == QLatin1String("0"))
                break;
            if (code.compare(root, Qt::CaseInsensitive) == 0) {
                included = true;
                break;
            }
            QString parent;
            if (!parentOf(code, &parent))
                break;
            code = parent.trimmed();
        }
        if (included)
            parts << (byName ? QuotedStr(row.MC) : row.ID);
    }
    return parts.join(QLatin1Char(','));
}

QString TSystemFunctionRight::DeptSubtree(const QString &root, const QString &column,
                                          const QString &sqlText)
{
    OpenQuery(*m_tmp, sqlText);
    QList<TDeptRow> rows;
    for (m_tmp->First(); !m_tmp->Eof(); m_tmp->Next())
        rows.append({fieldText(*m_tmp, QStringLiteral("ID")),
                     fieldText(*m_tmp, QStringLiteral("ParentCode")),
                     fieldText(*m_tmp, QStringLiteral("MC"))});
    m_tmp->Close();
    return DeptSubtreeOf(rows, root, column);
}

QString TSystemFunctionRight::GetDeptNames()
{
    if (DeptNames.isEmpty())
        DeptNames = DeptSubtree(DeptID, QStringLiteral("mc"));
    return DeptNames;
}

QString TSystemFunctionRight::AttrColumnsFor(const QString &alias) const
{
    QString columns = AttrColumns;
    return columns.replace(QLatin1String("SX"), alias + QLatin1String(".SX"));
}

void TSystemFunctionRight::BuildTableList(int flag)
{
    if (!TableList.isEmpty())
        return;
    for (const char *table : {"HP", "Hp_Pict", "Pub_ItemType"})
        TableList << QStringLiteral("A|") + QLatin1String(table);
    static const char *const before[] = {"CGDDZB", "CGDD", "CGFKZB",   "CGFK",  "CGSHZB", "CGSH",
                                         "CGTHZB", "CGTH", "CHTJZB",   "CHTJ",  "CKDBZB", "CKDB",
                                         "CPJCZB", "CPJC", "FYKZZB",   "FYKZ",  "KCPDZB", "KCPD",
                                         "QTSRZB", "QTSR", "QTKCBDZB", "QTKCBD"};
    static const char *const production[] = {
        "SC_BOMZB",        "SC_BOM",    "SC_CGJHZB", "SC_CGJH",     "SC_ProduceOrderZB",
        "SC_ProduceOrder", "SC_SCJHZB", "SC_SCJH",   "SC_WLXQJHZB", "SC_WLXQJH"};
    static const char *const after[] = {
        "LLZB",   "LL",   "TLZB",   "TL",   "XSDDZB",    "XSDD",   "XSKDZB", "XSKD",
        "XSSKZB", "XSSK", "XSTHZB", "XSTH", "MaxBillNo", "AppLog", "YHCKQK", "Inv_ItemList"};
    for (const char *table : before)
        TableList << QStringLiteral("B|") + QLatin1String(table);
    if (flag == 0) {
        for (const char *table : production)
            TableList << QStringLiteral("B|") + QLatin1String(table);
    }
    for (const char *table : after)
        TableList << QStringLiteral("B|") + QLatin1String(table);
}
