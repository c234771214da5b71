// The one list of all personnel and office record kinds, TRs_SingleFrm. The kind (its caption)
// is given before the window shows; it chooses the dataset, the grid's columns, the query and
// the edit form. On the left a department tree, filled as it is opened, lists each
// department's employees under it; a click narrows the list to the department (with those
// below it) or to the employee. A ticked date box narrows it to records dated in the range.
#pragma once

#include "client/forms/comjbzl.h"
#include "client/personnel/personnelkinds.h"

class QCheckBox;
class QDateEdit;
class QTreeWidget;
class QTreeWidgetItem;

class TRs_SingleFrm : public TfrmComJbzl
{
    Q_OBJECT
public:
    explicit TRs_SingleFrm(QWidget *parent = nullptr);

    // Chooses the kind by its caption; before the window shows (the opener does it) or to
    // reopen the list of the kind it shows.
    void SetBillType(const QString &billType) override;

    const TPersonnelKind *Kind() const { return m_kind; }
    // The list's query as it stands.
    QString ListSQL() const;
    // Narrows the list as a click on a tree node does; false when the tree has no such node.
    bool SelectDepartment(const QString &id);
    bool SelectEmployee(const QString &id);
    void SelectAll();

    QTreeWidget *tvDept;
    QCheckBox *cbDate;
    QDateEdit *dtpBegin;
    QDateEdit *dtpEnd;

protected:
    void FormShow() override;
    void OpenDataSet() override;
    void LoadEditForm(const QString &Mode) override;
    void dsOnNewRecord(TClientDataSet &DataSet) override;

private:
    void configure(const TPersonnelKind &kind, const QString &caption);
    void fillRoots();
    void fillChildren(QTreeWidgetItem *item);
    void nodeClicked(QTreeWidgetItem *item);
    QTreeWidgetItem *findNode(QTreeWidgetItem *parent, int type, const QString &id);

    const TPersonnelKind *m_kind = nullptr;
    TPersonnelScope m_scope;
};
