// The rights object: who is logged in, the company settings that shape every form, what the
// user's groups may do, and the department scope that narrows the warehouse, department and
// employee lists. One instance lives for the whole run.
#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

class QObject;
class TClientDataSet;

// One granted function of the logged-in user.
struct TFuncRightItem
{
    QString FuncNodeNo;
    QString FuncNodeName;
    QString ObjectName;
    QString FuncItems;
};

// One enabled goods attribute column.
struct THPSXObj
{
    QString FieldName; // "SX1" ... "SX6"
    QString Caption;
};

// Margins of the workbook export, in centimetres.
struct TExcelPageSetup
{
    double Top = 1.5;
    double Bottom = 1.5;
    double Left = 1.0;
    double Right = 1.0;
    double Header = 0.5;
    double Footer = 0.5;
};

// The margins as CompanyInfo.fExcelPageSetup stores them: "top,bottom,left,right,header,footer".
// A text of fewer than six parts leaves every margin at its default.
TExcelPageSetup ParseExcelPageSetup(const QString &text);
QString ExcelPageSetupText(const TExcelPageSetup &margins);

// A department row as DeptSubtree walks it.
struct TDeptRow
{
    QString ID;
    QString ParentCode;
    QString MC;
};

class TSystemFunctionRight
{
public:
    // The scratch datasets the rights queries run on (the central module's Tmp, Tmpf, Tmpl).
    void SetDataSets(TClientDataSet *tmp, TClientDataSet *tmpf, TClientDataSet *tmpl);

    bool IsAutoAlarm = false;
    int AuditNum = 1;
    bool CanInsert = false;
    bool CanDelete = false;
    bool CanAudit = false;
    bool CanAuditLevel = false;
    bool CanUnAudit = false;
    bool CanPrint = false;
    QStringList AuditLevels;
    QStringList MenuList;
    QStringList TableList;
    QString CompanyName;
    int DefaultWarehouseID = 0;
    QString UserID;
    QString UserCode;
    QString UserName;
    QString UserPassword;
    QString GroupIDs;
    QString EmployeeID;
    QString EmployeeName;
    QString DeptID;
    QString DeptIDs = DefaultDeptIDs;
    QString DeptNames;
    QString WarehouseSQL = DefaultWarehouseSQL;
    QString WarehouseFrom = DefaultWarehouseFrom;
    QString DeptSQL = DefaultDeptSQL;
    QString DeptFrom = DefaultDeptFrom;
    QString DeptTreeSQL = QStringLiteral(" select id,mc,ParentCode  FROM BM  ");
    QString EmployeeNamesSQL = DefaultEmployeeNamesSQL;
    QString ItemTypeSQL = DefaultItemTypeSQL;
    QString ItemTypeFrom = DefaultItemTypeFrom;
    bool IsOrderKC = false;
    TExcelPageSetup ExcelPageSetup;
    double DefaultDiscount = 1.0;
    bool IsFSCK = false;
    // The granted functions, in the order they were read; several groups may grant one name.
    QList<TFuncRightItem> FuncItems;
    bool DeptScope = false;
    bool Boolean3 = false;
    // Enabled goods attribute columns keyed "HP_SX1" ... "HP_SX6", in column order.
    QList<QPair<QString, THPSXObj>> AttrList;
    QString AttrColumns;
    bool Boolean4 = false;
    QString Address;
    QString Tel;
    bool ShowAudit = true;

    static const QString DefaultDeptIDs;
    static const QString DefaultWarehouseSQL;
    static const QString DefaultWarehouseFrom;
    static const QString DefaultDeptSQL;
    static const QString DefaultDeptFrom;
    static const QString DefaultEmployeeNamesSQL;
    static const QString DefaultItemTypeSQL;
    static const QString DefaultItemTypeFrom;
    static const QString DeptTreeRowsSQL; // " select ID, ParentCode,MC  from bm"

    bool IsAdministrator() const; // "SYS" in any case

    // Company settings from CompanyInfo (run on Tmpf).
    void LoadCompanySettings();
    // Identity is set by the login; this fills grants and department scope (Tmp, Tmpf, Tmpl).
    void LoadRights(const QString &userCode, const QString &groupIDs, const QString &treeTable);

    bool HasRight(const QString &objectName) const;
    const TFuncRightItem *FindRight(const QString &objectName) const;

    // Enables every object below root named "mnu..." by the user's grants and records the
    // enabled names in MenuList. Objects flagged with the dynamic property "largeButton"
    // follow the grant of their name without its last character (mnuCgsh1 follows mnuCgsh).
    void ApplyMenuRights(QObject *root);
    // Enables the workspace's tiles (widgets flagged with the property "workspaceTile") by
    // their names; the administrator keeps everything enabled.
    void ApplyWorkspaceRights(QObject *workspace);

    // Sets the six booleans and AuditLevels for the form checked against objectName; the
    // query runs on the given dataset.
    void GetFormRights(const QString &groupIDs, const QString &userCode, TClientDataSet &dataSet,
                       const QString &objectName);
    bool CheckAuditLevel(const QString &userCode, int level);

    // The department root and everything below it, as "1,4,7" (column "id") or "'总部','销售部'"
    // (column "mc"); rows come from the given SQL run on Tmp.
    QString DeptSubtree(const QString &root, const QString &column,
                        const QString &sqlText = DeptTreeRowsSQL);
    static QString DeptSubtreeOf(const QList<TDeptRow> &rows, const QString &root,
                                 const QString &column);
    QString GetDeptNames();

    QString AttrColumnsFor(const QString &alias) const;

    // The tables emptied by year-end and initialisation, "A|HP", "B|CGDDZB", ...; the
    // production tables only with flag 0. A list that has entries is not rebuilt.
    void BuildTableList(int flag);

    // Applies the company settings of one CompanyInfo record.
    void ReadCompanySettings(const TClientDataSet &companyInfo);

private:
    TClientDataSet *m_tmp = nullptr;
    TClientDataSet *m_tmpf = nullptr;
    TClientDataSet *m_tmpl = nullptr;
};

// Closes the dataset, gives it the text and opens it; the server's error propagates.
void OpenQuery(TClientDataSet &dataSet, const QString &sqlText);
