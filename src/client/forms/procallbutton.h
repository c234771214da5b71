// The shared handler of the button edits on report and list forms: one instance per form,
// assigned to each of its button edits; a click decides by the edit's name what to open
// (department tree, employees, goods attribute filter, multi-selects, the employee list) and
// leaves the choice in the edit: the text it shows and, in Key, the condition or keys behind
// it. Data-aware edits write their fields instead.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;
class TButtonEdit;

class TProcAllButtonObj : public QObject
{
    Q_OBJECT
public:
    explicit TProcAllButtonObj(QWidget *form);

    // Assigns the handler to the edit's button.
    void Attach(TButtonEdit *edit);
    // Attaches every button edit of the form whose name the handler knows.
    void AttachAll();
    // True for the names a click means something for.
    static bool Handles(const QString &controlName);

    // A click on the edit's button.
    void ButtonClick(TButtonEdit &sender);

protected:
    // RzButtonEdit_Dept: the department and all below it, " and C.ID in (...)" in Key.
    virtual void DeptClick(TButtonEdit &edit);
    // RzButtonEdit_Emp: employees of the department chosen on the form, else the employee
    // list.
    virtual void EmployeeClick(TButtonEdit &edit);
    // RzButtonEdit_ItemInfor: the goods attribute filter's condition in Key.
    virtual void ItemInforClick(TButtonEdit &edit);
    // STOCK, CUST, GYS and attribute values: "(keys)" in Key, names as text.
    virtual void MultiSelectClick(TButtonEdit &edit, const QString &kind);
    // RzDBButtonEdit_Group: the user's groups into gID and gName.
    virtual void GroupClick(TButtonEdit &edit);
    // RzDBButtonEdit_YG: the employee list as a picker into YGID and aYGMC.
    virtual void EmployeeRecordClick(TButtonEdit &edit);
    // Windows of later work. The VIP-level list and the goods picker are not part of this
    // version yet; until a subclass supplies them these say so.
    virtual void VipLevelClick(TButtonEdit &edit);
    virtual void ItemClick(TButtonEdit &edit);

    QWidget *Form() const { return m_form; }

private:
    QPointer<QWidget> m_form;
};

// Opens a registered list window (TfrmComJbzl) as a picker; true with the chosen row's ID and
// name. A class that is not registered is reported as not available in this version.
bool PickFromList(const QString &className, QString &id, QString &name, QWidget *parent = nullptr);
