// The button-edit handler.
#include "client/forms/procallbutton.h"

#include "client/common/sqltext.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/comjbzl.h"
#include "client/forms/filternew.h"
#include "client/forms/globalobj.h"
#include "client/forms/mdiwindows.h"
#include "client/forms/multiselect.h"
#include "client/forms/searchmodal.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/messagebox.h"

#include <memory>

namespace {

const QString EmployeeListClass = QStringLiteral("TfrmEemployee");

// The dataset behind a data-aware button edit, ready to take values.
TClientDataSet *editableDataSet(TButtonEdit &edit)
{
    auto *control = dynamic_cast<TFieldControl *>(&edit);
    if (!control || !control->DataSource() || !control->DataSource()->DataSet())
        return nullptr;
    TClientDataSet *ds = control->DataSource()->DataSet();
    if (ds->State() != dsEdit && ds->State() != dsInsert)
        ds->Edit();
    return ds;
}

void setField(TClientDataSet &ds, const QString &name, const QVariant &value)
{
    if (TField *field = ds.FindField(name))
        field->SetValue(value);
}

} // namespace

bool PickFromList(const QString &className, QString &id, QString &name, QWidget *parent)
{
    if (!TFormRegistry::Contains(className)) {
        SayWindowMissing(className);
        return false;
    }
    std::unique_ptr<TFrmRoot> form(TFormRegistry::Create(className));
    auto *list = qobject_cast<TfrmComJbzl *>(form.get());
    if (!list) {
        SayWindowMissing(className);
        return false;
    }
    if (parent) {
        list->setParent(parent, list->windowFlags() | Qt::Dialog);
    }
    list->SetSelectMode(true);
    list->ShowModal();
    if (!list->Selected || list->ResultID.isEmpty())
        return false;
    id = list->ResultID;
    name = list->ResultName;
    return true;
}

TProcAllButtonObj::TProcAllButtonObj(QWidget *form)
    : QObject(form)
    , m_form(form)
{}

bool TProcAllButtonObj::Handles(const QString &name)
{
    static const QStringList names{
        QStringLiteral("RzButtonEdit_Dept"),      QStringLiteral("RzButtonEdit_Emp"),
        QStringLiteral("RzButtonEdit_ItemInfor"), QStringLiteral("RzButtonEdit_Stock"),
        QStringLiteral("RzButtonEdit_KH"),        QStringLiteral("RzButtonEdit_GYS"),
        QStringLiteral("RzButtonEdit_VIP"),       QStringLiteral("RzDBButtonEdit_Group"),
        QStringLiteral("RzDBButtonEdit_YG"),      QStringLiteral("RzButtonEdit_Item")};
    return names.contains(name) || name.contains(QLatin1String("SX1")) ||
           name.contains(QLatin1String("SX2")) || name.contains(QLatin1String("SX3"));
}

void TProcAllButtonObj::Attach(TButtonEdit *edit)
{
    if (!edit)
        return;
    edit->OnButtonClick = [this](TButtonEdit &sender) {
        Guarded([&] { ButtonClick(sender); });
    };
}

void TProcAllButtonObj::AttachAll()
{
    if (!m_form)
        return;
    for (TButtonEdit *edit : m_form->findChildren<TButtonEdit *>()) {
        if (Handles(edit->objectName()))
            Attach(edit);
    }
}

void TProcAllButtonObj::ButtonClick(TButtonEdit &sender)
{
    const QString name = sender.objectName();
    if (name == QLatin1String("RzButtonEdit_Dept"))
        DeptClick(sender);
    else if (name == QLatin1String("RzButtonEdit_Emp"))
        EmployeeClick(sender);
    else if (name == QLatin1String("RzButtonEdit_ItemInfor"))
        ItemInforClick(sender);
    else if (name == QLatin1String("RzButtonEdit_Stock"))
        MultiSelectClick(sender, QStringLiteral("STOCK"));
    else if (name == QLatin1String("RzButtonEdit_KH"))
        MultiSelectClick(sender, QStringLiteral("CUST"));
    else if (name == QLatin1String("RzButtonEdit_GYS"))
        MultiSelectClick(sender, QStringLiteral("GYS"));
    else if (name == QLatin1String("RzButtonEdit_VIP"))
        VipLevelClick(sender);
    else if (name == QLatin1String("RzDBButtonEdit_Group"))
        GroupClick(sender);
    else if (name == QLatin1String("RzDBButtonEdit_YG"))
        EmployeeRecordClick(sender);
    else if (name == QLatin1String("RzButtonEdit_Item"))
        ItemClick(sender);
    else {
        for (const char *attribute : {"SX1", "SX2", "SX3"}) {
            if (name.contains(QLatin1String(attribute))) {
                MultiSelectClick(sender, QLatin1String(attribute));
                return;
            }
        }
    }
}

void TProcAllButtonObj::DeptClick(TButtonEdit &edit)
{
    QString key;
    QString text;
    if (!SearchTreeNode(QStringLiteral("Depart"), QString(), key, text, m_form))
        return;
    edit.setText(text);
    edit.SetKey(QStringLiteral(" and C.ID in (") +
                FuncRight().DeptSubtree(key, QStringLiteral("id")) + QLatin1Char(')'));
}

void TProcAllButtonObj::EmployeeClick(TButtonEdit &edit)
{
    auto *dept =
        m_form ? m_form->findChild<TButtonEdit *>(QStringLiteral("RzButtonEdit_Dept")) : nullptr;
    if (!dept || dept->text().trimmed().isEmpty()) {
        QString id;
        QString name;
        if (PickFromList(EmployeeListClass, id, name, m_form)) {
            edit.setText(name);
            edit.SetKey(id);
        }
        return;
    }
    QStringList departments;
    for (const QString &part : dept->text().split(QLatin1Char(','), Qt::SkipEmptyParts))
        departments << QuotedStr(part.trimmed());
    QStringList names;
    {
        TTmpDataSet tmp;
        tmp->SetCommandText(
            QStringLiteral(" select Y.XM   from YG Y, BM C  where   Y.BMID = C.ID  and C.MC in (") +
            departments.join(QLatin1Char(',')) + QStringLiteral(")") +
            QStringLiteral(" order by Y.XM "));
        tmp->Open();
        for (int row = 0; row < tmp->RowCount(); ++row) {
            const TClientDataSet::TRowScope scope(*tmp, row);
            names << tmp->Fields(0)->AsString();
        }
    }
    TMultiSelectFrm dialog(m_form);
    dialog.SetItems(names, names, edit.text());
    dialog.setWindowTitle(QStringLiteral("请选择员工"));
    if (dialog.ShowModal() != mrOk)
        return;
    edit.setText(dialog.SelectedNames);
    QStringList quoted;
    for (const QString &name : dialog.SelectedNames.split(QLatin1Char(',')))
        quoted << QuotedStr(name);
    edit.SetKey(QLatin1Char('(') + quoted.join(QLatin1Char(',')) + QLatin1Char(')'));
}

void TProcAllButtonObj::ItemInforClick(TButtonEdit &edit)
{
    QString condition;
    if (!ShowAttrFilter(condition, m_form))
        return;
    edit.setText(condition);
    edit.SetKey(condition);
}

void TProcAllButtonObj::MultiSelectClick(TButtonEdit &edit, const QString &kind)
{
    QString ids = edit.Key();
    QString names = edit.text();
    if (!MultiSelect(kind, ids, names, m_form))
        return;
    edit.setText(names);
    edit.SetKey(ids);
}

void TProcAllButtonObj::GroupClick(TButtonEdit &edit)
{
    auto *control = dynamic_cast<TFieldControl *>(&edit);
    TClientDataSet *ds =
        control && control->DataSource() ? control->DataSource()->DataSet() : nullptr;
    QString ids;
    QString names;
    if (ds) {
        if (const TField *field = ds->FindField(QStringLiteral("gID")))
            ids = field->AsString();
        if (const TField *field = ds->FindField(QStringLiteral("gName")))
            names = field->AsString();
    }
    if (!MultiSelect(QStringLiteral("GROUP"), ids, names, m_form))
        return;
    if (TClientDataSet *target = editableDataSet(edit)) {
        setField(*target, QStringLiteral("gID"), ids);
        setField(*target, QStringLiteral("gName"), names);
    } else {
        edit.setText(names);
        edit.SetKey(ids);
    }
}

void TProcAllButtonObj::EmployeeRecordClick(TButtonEdit &edit)
{
    QString id;
    QString name;
    if (!PickFromList(EmployeeListClass, id, name, m_form))
        return;
    if (TClientDataSet *target = editableDataSet(edit)) {
        setField(*target, QStringLiteral("YGID"), id.toLongLong());
        setField(*target, QStringLiteral("aYGMC"), name);
    } else {
        edit.setText(name);
        edit.SetKey(id);
    }
}

void TProcAllButtonObj::VipLevelClick(TButtonEdit &edit)
{
    Q_UNUSED(edit);
    SayWindowMissing(QStringLiteral("VIP等级"));
}

void TProcAllButtonObj::ItemClick(TButtonEdit &edit)
{
    Q_UNUSED(edit);
    SayWindowMissing(QStringLiteral("TfrmSelectItem"));
}
