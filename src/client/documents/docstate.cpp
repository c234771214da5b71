// The action-state rules of the document form.
#include "client/documents/docstate.h"

#include "client/common/valueroutines.h"

void TDocStateRules::documentActions(TDocActions &a) const
{
    a.New = !a.Save && m_rights.CanInsert;
    a.Del = !a.Save && m_rights.CanDelete;
    a.Modify = !a.Save;
    a.Audit = !a.Save && m_rights.CanAudit;
    a.UnAudit = !a.Save && m_rights.CanUnAudit;
}

void TDocStateRules::LineActions(TDocActions &a)
{
    a.Insert = false;
    a.Delete = false;
    if (a.Save) {
        a.Insert = a.Save;
        a.Delete = a.Save;
    } else if (a.New) {
        a.Insert = a.Audit;
        a.Delete = a.New && a.Audit;
    }
}

void TDocStateRules::SetCanSave(TDocActions &a, bool canSave, const TDocPosition &pos) const
{
    a.Save = canSave;
    a.Cancel = a.Save;
    documentActions(a);
    a.MenuRef = a.Save || a.Audit;
    a.Preview = !canSave && !pos.Empty;
    a.Print = m_rights.CanPrint;
    LineActions(a);
}

void TDocStateRules::SetButton(TDocActions &a, const TDocPosition &pos) const
{
    a.Print = !a.Save && m_rights.CanPrint;
    a.Preview = !a.Save;
    documentActions(a);
    a.First = !m_singleBill && !pos.AtFirst && !pos.Empty;
    a.Prior = a.First;
    a.Next = !m_singleBill && !pos.AtLast && !pos.Empty;
    LineActions(a);
}

void TDocStateRules::SetAuditButton(TDocActions &a, int uFlag, int auditNum, bool canAuditNext,
                                    const TDocPosition &pos) const
{
    if (uFlag < auditNum) {
        a.New = m_rights.CanInsert;
        a.Del = m_rights.CanDelete;
        a.Modify = true;
        a.UnAudit = false;
        a.Audit = m_rights.CanAudit && canAuditNext;
        a.UnAudit = m_rights.CanUnAudit;
        a.HeaderEditable = uFlag == 0;
    } else {
        a.New = m_rights.CanInsert;
        a.Del = false;
        a.Modify = false;
        a.Audit = false;
        a.UnAudit = m_rights.CanUnAudit;
        a.HeaderEditable = false;
    }
    if (!pos.Editing) {
        a.Save = false;
        a.Cancel = false;
        a.MenuRef = a.Save || a.Audit;
    }
    LineActions(a);
    if (uFlag >= 1) {
        a.Del = false;
        a.Insert = false;
        a.Delete = false;
    } else {
        a.UnAudit = false;
    }
}

void TDocStateRules::Modify(TDocActions &a) const
{
    a.HeaderEditable = true;
    a.Save = true;
    a.Cancel = true;
    a.MenuRef = a.Save || a.Audit;
    a.New = false;
    a.Preview = false;
    a.Print = false;
    a.Del = false;
    a.Audit = false;
    a.UnAudit = false;
    LineActions(a);
}

void TDocStateRules::Editing(TDocActions &a) const
{
    a.HeaderEditable = true;
    a.New = false;
    a.Del = false;
    a.Modify = false;
    a.Audit = false;
    a.UnAudit = false;
    LineActions(a);
}

void TDocStateRules::Browse(TDocActions &a) const
{
    a.Audit = m_rights.CanAudit;
    a.UnAudit = m_rights.CanUnAudit;
    a.Del = m_rights.CanDelete;
    a.Modify = true;
    LineActions(a);
    a.HeaderEditable = false;
}

QString AuditCaption(int uFlag, int auditNum)
{
    if (auditNum <= 1)
        return QStringLiteral("审核(&O)");
    const int level = uFlag < auditNum ? uFlag + 1 : auditNum;
    return ChineseDigit(QString::number(level)) + QStringLiteral("审(&O)");
}

QString AuditStatusText(int uFlag, int auditNum)
{
    return uFlag >= auditNum ? QStringLiteral("已审核") : QStringLiteral("草稿");
}
