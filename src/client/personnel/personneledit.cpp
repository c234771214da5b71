// The personnel and office record edit forms.
#include "client/personnel/personneledit.h"

#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/comjbzl.h"
#include "client/forms/mdiwindows.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"

#include <memory>

namespace {

const QString EmployeeListClass = QStringLiteral("TfrmEemployee");

bool editing(const TClientDataSet &ds)
{
    return ds.State() == dsInsert || ds.State() == dsEdit;
}

void setIfPresent(TClientDataSet &ds, const char *name, const QVariant &value)
{
    if (TField *field = ds.FindField(QLatin1String(name)))
        field->SetValue(value);
}

} // namespace

TfrmPersonnelEdit::TfrmPersonnelEdit(const char *editClass, QWidget *parent)
    : TfrmComEdit(parent)
    , m_kind(PersonnelKindOfEditClass(QLatin1String(editClass)))
    , m_source(Data().FindDataSource(QLatin1Char('s') + QLatin1String(m_kind->dataSet)))
    , m_rows(TabSheet_JBXX, m_source, 2)
{
    setObjectName(QLatin1String(editClass).mid(1));
    setWindowTitle(QString::fromUtf8(m_kind->caption));
    RzDBEdit_ID->SetDataSource(m_source);
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));

    // The employee: its name is shown, the button chooses it. The address book keeps the
    // contact's own name, so there the employee shows by code.
    RzButtonEdit_Emp = new TDBButtonEdit(TabSheet_JBXX);
    RzButtonEdit_Emp->setObjectName(QStringLiteral("RzButtonEdit_Emp"));
    RzButtonEdit_Emp->SetReadOnly(true);
    RzButtonEdit_Emp->OnButtonClick = [this](TButtonEdit &) {
        pickEmployee();
    };
    const bool addressBook = QLatin1String(m_kind->table) == QLatin1String("Oa_Linkman");
    m_employeeField = isWage() ? "YG_Name" : addressBook ? "F_code" : "F_name";
    addBound(RzButtonEdit_Emp, m_employeeField, "员工");
    auto *date = new TDBDateEdit(TabSheet_JBXX);
    date->setObjectName(QStringLiteral("RzDBEdit_RQ"));
    addBound(date, "RQ", "日期");

    for (const TKindField &field : m_kind->fields) {
        const QLatin1String name(field.field);
        if (name == QLatin1String("F_GxID")) {
            RzDBLookupCombo_Gx = m_rows.Lookup(
                field.field, field.caption,
                m_kind->wage == TWageKind::PieceRate ? &Data().sGz_GXu() : &Data().sGz_GongZ());
            RzDBLookupCombo_Gx->SetKeyField(QStringLiteral("id"));
            RzDBLookupCombo_Gx->SetListField(QStringLiteral("F_Name"));
            continue;
        }
        switch (field.kind) {
        case TRecordFieldType::Date: {
            auto *edit = new TDBDateEdit(TabSheet_JBXX);
            edit->setObjectName(QStringLiteral("RzDBEdit_") + name);
            addBound(edit, field.field, field.caption);
            break;
        }
        case TRecordFieldType::Flag:
            m_rows.Check(field.field, field.caption);
            break;
        case TRecordFieldType::Text:
        case TRecordFieldType::DateTime:
        case TRecordFieldType::Number:
            m_rows.Edit(field.field, field.caption)->SetReadOnly(name == QLatin1String("JE"));
            break;
        }
    }
    m_rows.Edit("BZ", "备注");
    resize(640, 360);
}

template<class Control>
void TfrmPersonnelEdit::addBound(Control *control, const char *field, const char *caption)
{
    control->SetDataSource(m_source);
    control->SetDataField(QLatin1String(field));
    m_rows.Add(control, field, caption);
}

void TfrmPersonnelEdit::FormShow()
{
    // A record is listed through its employee, so it cannot be without one; a wage needs its
    // process and a contact its name.
    RequiredFields = QLatin1String(m_employeeField);
    if (isWage())
        RequiredFields += QStringLiteral(";F_GxID");
    else if (QLatin1String(m_kind->table) == QLatin1String("Oa_Linkman"))
        RequiredFields += QStringLiteral(";F_Name");
    if (RzDBLookupCombo_Gx) {
        TClientDataSet &list =
            m_kind->wage == TWageKind::PieceRate ? Data().Gz_GXu() : Data().Gz_GongZ();
        if (!list.Active())
            list.Open();
    }
    if (TClientDataSet *ds = m_source->DataSet()) {
        m_rows.ApplyLabels(*ds);
    }
    TfrmComEdit::FormShow();
}

void TfrmPersonnelEdit::dsOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComEdit::dsOnNewRecord(DataSet);
    if (DataSet.State() != dsInsert)
        return;
    // The list stands between this form and the data module, and passes on to the module's
    // own defaults.
    if (SavedEvents.OnNewRecord)
        SavedEvents.OnNewRecord(DataSet);
    if (isWage()) {
        for (const char *name : {"F_DJ", "F_SL", "F_JBGZ"})
            setIfPresent(DataSet, name, 0);
        return;
    }
    const TField *date = DataSet.FindField(QStringLiteral("RQ"));
    if (TField *begin = DataSet.FindField(QStringLiteral("F_beginDate")); begin && date)
        begin->SetAsDate(date->AsDate());
    setIfPresent(DataSet, "F_useFlag", true);
}

void TfrmPersonnelEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    if (!Field || !RzDBLookupCombo_Gx || !EditDataSet || !editing(*EditDataSet) ||
        Field->FieldName().compare(QLatin1String("F_GxID"), Qt::CaseInsensitive) != 0)
        return;
    copyProcessPrice(Field->AsString());
}

void TfrmPersonnelEdit::copyProcessPrice(const QString &id)
{
    bool numeric = false;
    id.toLongLong(&numeric);
    if (!numeric)
        return;
    if (m_kind->wage == TWageKind::PieceRate) {
        SQLToFields(QStringLiteral("select F_DJ from Gz_GXu where id = ") + id, *EditDataSet,
                    QStringLiteral("F_DJ"), false);
    } else {
        // The time-rate record keeps the unit only where it has a column for it.
        const bool hasUnit = EditDataSet->FindField(QStringLiteral("F_Dw")) != nullptr;
        SQLToFields(QStringLiteral("select F_DJ,F_Dw from Gz_GongZ where id = ") + id, *EditDataSet,
                    hasUnit ? QStringLiteral("F_DJ;F_Dw") : QStringLiteral("F_DJ"), false);
    }
    setIfPresent(*EditDataSet, "Gx_Name", RzDBLookupCombo_Gx->DisplayTextOf(id.toLongLong()));
}

bool TfrmPersonnelEdit::SetEmployee(const QString &id)
{
    bool numeric = false;
    id.toLongLong(&numeric);
    if (!numeric || !EditDataSet)
        return false;
    TTmpDataSet tmp;
    if (!RunSQL(*tmp,
                QStringLiteral("select Y.ID,Y.BH,Y.XM,C.MC from YG Y left join BM C on "
                               "Y.BMID=C.ID where Y.ID=") +
                    id,
                true) ||
        tmp->IsEmpty())
        return false;
    if (!editing(*EditDataSet))
        EditDataSet->Edit();
    TClientDataSet &ds = *EditDataSet;
    setIfPresent(ds, "F_empID", tmp->FieldByName(QStringLiteral("ID"))->Value());
    setIfPresent(ds, "F_code", tmp->FieldByName(QStringLiteral("BH"))->Value());
    const QString name = tmp->FieldByName(QStringLiteral("XM"))->AsString();
    if (isWage()) {
        setIfPresent(ds, "YG_Name", name);
    } else if (QLatin1String(m_kind->table) != QLatin1String("Oa_Linkman")) {
        setIfPresent(ds, "F_name", name);
        setIfPresent(ds, "F_dept", tmp->FieldByName(QStringLiteral("MC"))->AsString());
    }
    return true;
}

void TfrmPersonnelEdit::pickEmployee()
{
    if (!TFormRegistry::Contains(EmployeeListClass)) {
        SayWindowMissing(EmployeeListClass);
        return;
    }
    std::unique_ptr<TFrmRoot> form(TFormRegistry::Create(EmployeeListClass));
    auto *picker = qobject_cast<TfrmComJbzl *>(form.get());
    if (!picker)
        return;
    picker->SetSelectMode(true);
    picker->ShowModal();
    if (picker->Selected)
        SetEmployee(picker->ResultID);
}
