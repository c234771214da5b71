// The user edit form.
#include "client/admin/useredit.h"

#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/forms/globalobj.h"
#include "client/forms/procallbutton.h"
#include "client/widgets/dbcontrols.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

TfrmSysUserEdit::TfrmSysUserEdit(QWidget *parent)
    : TfrmComEdit(parent)
{
    setObjectName(QStringLiteral("frmSysUserEdit"));
    setWindowTitle(QStringLiteral("用户"));
    auto *form = new QFormLayout(TabSheet_JBXX);
    RzDBEdit_Code = new TDBEdit(TabSheet_JBXX);
    RzDBEdit_Code->setObjectName(QStringLiteral("RzDBEdit_Code"));
    RzDBEdit_Name = new TDBEdit(TabSheet_JBXX);
    RzDBEdit_Name->setObjectName(QStringLiteral("RzDBEdit_Name"));
    RzDBButtonEdit_Group = new TDBButtonEdit(TabSheet_JBXX);
    RzDBButtonEdit_Group->setObjectName(QStringLiteral("RzDBButtonEdit_Group"));
    RzDBButtonEdit_Group->SetReadOnly(true);
    RzDBEdit_Password = new QLineEdit(TabSheet_JBXX);
    RzDBEdit_Password->setObjectName(QStringLiteral("RzDBEdit_Password"));
    RzDBEdit_Password->setEchoMode(QLineEdit::Password);
    RzDBEdit_Password->setMaxLength(8);
    RzDBButtonEdit_YG = new TDBButtonEdit(TabSheet_JBXX);
    RzDBButtonEdit_YG->setObjectName(QStringLiteral("RzDBButtonEdit_YG"));
    lblPassword = new QLabel(QStringLiteral("用户密码"), TabSheet_JBXX);
    form->addRow(QStringLiteral("用户代码"), RzDBEdit_Code);
    form->addRow(QStringLiteral("用户名称"), RzDBEdit_Name);
    form->addRow(QStringLiteral("用户组"), RzDBButtonEdit_Group);
    form->addRow(lblPassword, RzDBEdit_Password);
    form->addRow(QStringLiteral("对应员工"), RzDBButtonEdit_YG);

    TDataSource *source = &Data().sAppUser();
    RzDBEdit_ID->SetDataSource(source);
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    const std::pair<TFieldControl *, const char *> controls[] = {{RzDBEdit_Code, "uCode"},
                                                                 {RzDBEdit_Name, "uName"},
                                                                 {RzDBButtonEdit_Group, "gName"},
                                                                 {RzDBButtonEdit_YG, "aYGMC"}};
    for (const auto &[control, field] : controls) {
        control->SetDataSource(source);
        control->SetDataField(QLatin1String(field));
    }
    m_buttons = new TProcAllButtonObj(this);
    m_buttons->Attach(RzDBButtonEdit_Group);
    m_buttons->Attach(RzDBButtonEdit_YG);
    resize(420, 260);
}

void TfrmSysUserEdit::FormShow()
{
    RequiredFields = QStringLiteral("uCode;uName;gName");
    UniqueCode = {QStringLiteral("AppUser"), QStringLiteral("uCode"), QStringLiteral("用户代码")};
    const bool administrator = FuncRight().IsAdministrator();
    lblPassword->setVisible(administrator);
    RzDBEdit_Password->setVisible(administrator);
    RzDBEdit_Password->clear();
    RzDBEdit_Password->setPlaceholderText(EditMode == QLatin1String("M")
                                              ? QStringLiteral("不修改密码请留空")
                                              : QStringLiteral("初始密码为空"));
    TClientDataSet &users = Data().AppUser();
    if (users.Active()) {
        const std::pair<const char *, const char *> labels[] = {{"uCode", "用户代码"},
                                                                {"uName", "用户名称"},
                                                                {"gName", "用户组"},
                                                                {"aYGMC", "对应员工"}};
        for (const auto &[field, label] : labels) {
            if (TField *f = users.FindField(QLatin1String(field)))
                f->SetDisplayLabel(QString::fromUtf8(label));
        }
    }
    TfrmComEdit::FormShow();
}

void TfrmSysUserEdit::dsOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComEdit::dsOnNewRecord(DataSet);
    if (DataSet.State() != dsInsert)
        return;
    if (TField *id = DataSet.FindField(QStringLiteral("ID")))
        id->SetAsLargeInt(QueryValue(QStringLiteral("select max(ID) from AppUser")).toLongLong() +
                          1);
}

void TfrmSysUserEdit::dsBeforePost(TClientDataSet &DataSet)
{
    // An employee box left empty unlinks the user from any employee.
    if (RzDBButtonEdit_YG->text().trimmed().isEmpty()) {
        if (TField *id = DataSet.FindField(QStringLiteral("YGID")))
            id->Clear();
        if (TField *name = DataSet.FindField(QStringLiteral("aYGMC")))
            name->Clear();
    }
    TfrmComEdit::dsBeforePost(DataSet);
}

bool TfrmSysUserEdit::ApplyChanges()
{
    const TField *code = EditDataSet->FindField(QStringLiteral("uCode"));
    const QString userCode = code ? code->AsString() : QString();
    if (!TfrmComEdit::ApplyChanges())
        return false;
    const QString password = RzDBEdit_Password->text();
    if (password.isEmpty() || !RzDBEdit_Password->isVisible())
        return true;
    // The row is stored; the server hashes the password, which no client ever reads back.
    if (Guarded([&] { Data().cn().AppServer().SetPassword(userCode, password); }))
        RzDBEdit_Password->clear();
    return true;
}
