// The enabled states of the document form's actions, worked out from the form's situation:
// unsaved changes, the user's rights, the audit level reached, the header's position. Kept
// apart from the widgets so the rules can be read (and tested) as the table they are.
#pragma once

#include <QString>

// What the user may do with this kind of document.
struct TDocRights
{
    bool CanInsert = false;
    bool CanDelete = false;
    bool CanAudit = false;
    bool CanUnAudit = false;
    bool CanPrint = false;
};

// The form's actions that follow state; the others are always available.
struct TDocActions
{
    bool Save = false;
    bool Cancel = false;
    bool New = false;
    bool Del = false;
    bool Modify = false;
    bool Audit = false;
    bool UnAudit = false;
    bool Preview = false;
    bool Print = false;
    bool Insert = false; // line actions
    bool Delete = false;
    bool First = false;
    bool Prior = false;
    bool Next = false;
    bool MenuRef = false;
    bool HeaderEditable = true;

    bool operator==(const TDocActions &) const = default;
};

// Where the header dataset stands.
struct TDocPosition
{
    bool Empty = true;
    bool AtFirst = true;
    bool AtLast = true;
    bool Editing = false; // in edit or insert state
};

class TDocStateRules
{
public:
    TDocStateRules(const TDocRights &rights, bool singleBill)
        : m_rights(rights)
        , m_singleBill(singleBill)
    {}

    // Unsaved changes appeared (true) or were saved or dropped (false).
    void SetCanSave(TDocActions &a, bool canSave, const TDocPosition &pos) const;
    // Printing, the document actions and navigation after a line or header moved.
    void SetButton(TDocActions &a, const TDocPosition &pos) const;
    // By the audit level reached: uFlag of N levels; canAuditNext is the user's right to the
    // level uFlag + 1.
    void SetAuditButton(TDocActions &a, int uFlag, int auditNum, bool canAuditNext,
                        const TDocPosition &pos) const;
    // aModify: the header opens for editing.
    void Modify(TDocActions &a) const;
    // The editing state entered by aNew or an inserted header.
    void Editing(TDocActions &a) const;
    // The browse state after a cancel.
    void Browse(TDocActions &a) const;
    // aInsert and aDelete follow aSave while there are changes; otherwise insert follows
    // aAudit and delete needs both aNew and aAudit.
    static void LineActions(TDocActions &a);

private:
    void documentActions(TDocActions &a) const;

    TDocRights m_rights;
    bool m_singleBill;
};

// The audit button's caption for the next level: "审核(&O)" with one level, else the level's
// numeral and "审(&O)" ("二审(&O)").
QString AuditCaption(int uFlag, int auditNum);
// The status text: "已审核" when fully audited, else "草稿".
QString AuditStatusText(int uFlag, int auditNum);
