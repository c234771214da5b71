// The tree-model form TTreeModelFrm: a hierarchical code table (regions, departments, goods
// categories, basic lists) edited in place. The rows' tree stands beside a page control whose
// "列表" page holds the grid and whose "详细资料" page the subclass's edit controls; a new row
// goes under the selected node, each post is applied at once, and deletion refuses the root,
// nodes with children and rows still referred to.
//
// What a subclass supplies in its constructor: the caption and form name, Table (the table's
// description below), the grid's columns and the detail controls (AddDetailEdit,
// AddParentEdit); and CommandText, the query the rows are read with (the user's scope).
#pragma once

#include "client/data/clientdataset.h"
#include "client/forms/actions.h"
#include "client/forms/addtabform.h"

#include <QHash>

#include <memory>

class QTabWidget;
class QGridLayout;
class QToolButton;
class TDataSource;
class TDBButtonEdit;
class TDBEdit;
class TDBGrid;
class TDBTreeView;
class TPanel;

// What tells one tree table from another.
struct TTreeTable
{
    QString TableName;          // the physical table; its provider is "p" + the name
    QString KeyField;           // "ID", or "ItemType" for categories and basic lists
    QString DisplayField;       // "MC", or "TypeName"
    QString ReferenceKind;      // the kind of CheckReferenced before a delete; empty for none
    QString ParentKind;         // the tree search dialog that picks a new parent
    bool RootProtected = false; // the row whose key is 1 cannot be deleted
    // The uniqueness probe: this text followed by the key (or, with ProbeName, the quoted
    // name) returns the rows that already hold it.
    QString UniqueProbe;
    bool ProbeName = false;
    QString UniqueMessage;
    // Filled into every new row: field name and value (a basic list's scope).
    QList<QPair<QString, QVariant>> NewRowValues;
};

class TTreeModelFrm : public TFrmAddTab
{
    Q_OBJECT
public:
    explicit TTreeModelFrm(QWidget *parent = nullptr);
    ~TTreeModelFrm() override;

    // Opens the form as a picker: a double click in the grid selects the row and closes.
    void SetSelectMode(bool selectMode);

    // --- State ----------------------------------------------------------------------------
    TTreeTable Table;
    QString OldID; // the key of the row when its edit or insert began
    bool SelectMode = false;
    bool Selected = false;
    QString ResultID;
    QString ResultName;

    // --- Components -----------------------------------------------------------------------
    TPanel *ToolBar1;
    TDBTreeView *stDBTree1;
    QTabWidget *PageControl1;
    QWidget *TabList;
    QWidget *TabDetail;
    TDBGrid *DBGrid1;
    TDBEdit *DBEditKey = nullptr;          // the detail control of the key
    TDBButtonEdit *DBEditParent = nullptr; // the parent's name with its search button
    TClientDataSet *Mast;                  // the edited rows (owned)
    TDataSource *dsMast;

    TAction *acPrior;
    TAction *acNext;
    TAction *acInsert;
    TAction *acSave;
    TAction *asCancelDS;
    TAction *acDelete;
    TAction *acPrint;
    TAction *acReturn;
    TAction *acModify;
    TAction *acSearch;
    TAction *acAll;
    TAction *aSelectExit;

    // The SQL of the next free key by dialect.
    QString NextKeySql() const;

protected:
    // The query the rows are read with.
    virtual QString CommandText() const = 0;
    // The tree's root caption; the form's caption when empty.
    virtual QString RootText() const { return windowTitle(); }

    // A line edit of the details page bound to the field, with its label; the field's display
    // label becomes the caption. The first one added takes the focus on insert.
    TDBEdit *AddDetailEdit(const QString &fieldName, const QString &caption);
    // The parent's name, changed only through the tree search dialog.
    TDBButtonEdit *AddParentEdit(const QString &caption);

    void FormShow() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift) override;

    virtual void acInsertExecute();
    virtual void acSaveExecute();
    virtual void asCancelDSExecute();
    virtual void acDeleteExecute();
    virtual void acPriorExecute();
    virtual void acNextExecute();
    virtual void acModifyExecute();
    virtual void acPrintExecute();
    virtual void acSearchExecute();
    virtual void acAllExecute();
    virtual void aSelectExitExecute();

private:
    void buildActions();
    void buildLayout();
    void bindDataSet();
    void treeNodeChanged();
    void selectNodeOfRow();
    void setActionStates();
    void newRecord(TClientDataSet &ds);
    void beforePost(TClientDataSet &ds);
    void afterPost();
    bool applyChanges();
    void reconcile(TClientDataSet &ds, class EReconcileError &E, TUpdateKind kind,
                   TReconcileAction &action);
    void changeParent();
    bool isEditing() const;
    bool hasChildren(const QString &key) const;
    QString currentKey() const;
    void restoreKey();
    void cancelChanges();
    // Posting or dropping a pending edit before a move or the exit; false to stay.
    bool settlePendingEdit();

    std::unique_ptr<TClientDataSet> m_mast;
    std::unique_ptr<TDataSource> m_dsMast;
    QGridLayout *m_details;
    QWidget *m_firstDetail = nullptr;
    QHash<QString, QString> m_labels; // field name -> its detail caption
    QString m_proposedKey;            // the key an insert was given, while nobody typed another
    bool m_keyRetried = false;
    bool m_syncingTree = false;
    QString m_lastFindText;
    int m_lastFindColumn = 0;
    std::unique_ptr<class TKingFilterDialog> m_filter;
};
