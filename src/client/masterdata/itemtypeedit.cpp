// The goods category dialog.
#include "client/masterdata/itemtypeedit.h"

#include "client/common/sqltext.h"
#include "client/data/serveraccess.h"
#include "client/masterdata/goodssql.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmItemTypeEdit::TfrmItemTypeEdit(QWidget *parent)
    : TFrmRoot(parent)
{
    setObjectName(QStringLiteral("frmItemTypeEdit"));
    setWindowTitle(QStringLiteral("编辑商品类型"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    RzEdit_Name = new QLineEdit(this);
    RzEdit_Name->setObjectName(QStringLiteral("RzEdit_Name"));
    RzEdit_Name->setMaxLength(50);
    form->addRow(QStringLiteral("名称："), RzEdit_Name);
    layout->addLayout(form);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("确定(&O)"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, [this] { Guarded([this] { btnOkClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    resize(320, 110);
}

void TfrmItemTypeEdit::SetMode(const QString &mode, const QString &key, const QString &text)
{
    m_mode = mode;
    m_key = key;
    RzEdit_Name->setText(mode == QLatin1String("E") ? text : QString());
}

QString TfrmItemTypeEdit::InsertSql(const QString &parentKey, const QString &name)
{
    const QString parent = parentKey.isEmpty() ? QStringLiteral("0") : goods::KeyLiteral(parentKey);
    return QStringLiteral("insert into Pub_ItemType(ItemType,TypeName,ParentCode) select "
                          "iif(isnull(Max(ItemType)), 1, Max(ItemType)+1),") +
           QuotedStr(name) + QLatin1Char(',') + parent + QStringLiteral(" from Pub_ItemType");
}

QString TfrmItemTypeEdit::UpdateSql(const QString &key, const QString &name)
{
    return QStringLiteral("update Pub_ItemType set TypeName=") + QuotedStr(name) +
           QStringLiteral(" where ItemType=") + goods::KeyLiteral(key);
}

void TfrmItemTypeEdit::btnOkClick()
{
    const QString name = RzEdit_Name->text().trimmed();
    if (name.isEmpty()) {
        MessageBox(QStringLiteral("请输入类别名称！"), QStringLiteral("提示"), TMsgIcon::Warning);
        RzEdit_Name->setFocus();
        return;
    }
    const QString sql =
        m_mode == QLatin1String("E") ? UpdateSql(m_key, name) : InsertSql(m_key, name);
    if (!ExecSQL(sql)) {
        MessageBox(QStringLiteral("保存类别失败！"), QStringLiteral("出错提示"), TMsgIcon::Error);
        return;
    }
    SetModalResult(mrOk);
}
