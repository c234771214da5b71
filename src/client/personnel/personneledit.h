// The edit forms of the personnel and office records: one family, TfrmPersonnelEdit, whose
// fields and captions come from the kind's row of the kind table. The employee is chosen with
// a button that opens the employee list as a picker and copies the employee into the record;
// wage records choose their process (or trade), which brings its unit price, and show the
// wage the data module calculates.
#pragma once

#include "client/forms/comedit.h"
#include "client/masterdata/editrows.h"
#include "client/personnel/personnelkinds.h"

class TDBButtonEdit;
class TDBLookupComboBox;

class TfrmPersonnelEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    const TPersonnelKind &Kind() const { return *m_kind; }

    // Copies the employee of the ID into the record (the employee button's work); false
    // when there is no such employee.
    bool SetEmployee(const QString &id);

    TDBButtonEdit *RzButtonEdit_Emp;
    TDBLookupComboBox *RzDBLookupCombo_Gx = nullptr; // wage records only

protected:
    TfrmPersonnelEdit(const char *editClass, QWidget *parent);

    void FormShow() override;
    void dsOnNewRecord(TClientDataSet &DataSet) override;
    void sDataChange(TDataSource &Sender, TField *Field) override;

private:
    // A control the form made, bound to the field and placed as the next row.
    template<class Control>
    void addBound(Control *control, const char *field, const char *caption);
    void pickEmployee();
    // The unit price (and the unit, where the record has one) of the chosen process.
    void copyProcessPrice(const QString &id);
    bool isWage() const { return m_kind->wage != TWageKind::None; }

    const TPersonnelKind *m_kind;
    const char *m_employeeField; // the field the employee button shows
    TDataSource *m_source;
    TEditRows m_rows;
};

#define VZ_PERSONNEL_EDIT_CONSTRUCTOR(Class)                                                       \
public:                                                                                            \
    explicit Class(QWidget *parent = nullptr)                                                      \
        : TfrmPersonnelEdit(#Class, parent)                                                        \
    {}

class TfrmYgWorkEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmYgWorkEdit)
};
class TfrmYgHtEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmYgHtEdit)
};
class TfrmYgPxEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmYgPxEdit)
};
class TfrmYgKpEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmYgKpEdit)
};
class TfrmYgDdEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmYgDdEdit)
};
class TfrmYgJcEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmYgJcEdit)
};
class TfrmYgTxEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmYgTxEdit)
};
class TfrmYgZJEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmYgZJEdit)
};
class TfrmOa_LeaveEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmOa_LeaveEdit)
};
class TfrmOa_OverTimeEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmOa_OverTimeEdit)
};
class TfrmOa_HouseEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmOa_HouseEdit)
};
class TfrmOa_KeysEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmOa_KeysEdit)
};
class TfrmOa_PassEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmOa_PassEdit)
};
class TfrmOa_VisitEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmOa_VisitEdit)
};
class TfrmOa_LinkManEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmOa_LinkManEdit)
};
class TfrmGZ_JJGZEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmGZ_JJGZEdit)
};
class TfrmGZ_JSGZEdit : public TfrmPersonnelEdit
{
    Q_OBJECT
    VZ_PERSONNEL_EDIT_CONSTRUCTOR(TfrmGZ_JSGZEdit)
};

#undef VZ_PERSONNEL_EDIT_CONSTRUCTOR
