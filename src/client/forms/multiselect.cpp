// The multi-select dialog.
#include "client/forms/multiselect.h"

#include "client/common/sqltext.h"
#include "client/data/clientdataset.h"
#include "client/data/serveraccess.h"
#include "client/widgets/messagebox.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace {

bool isAttribute(const QString &kind)
{
    const QString k = kind.toUpper();
    return k.startsWith(QLatin1String("SX")) && k.size() == 3 && k[2].isDigit();
}

// "(1,'a',3)" or "1,3" as its keys, without brackets and quotes.
QSet<QString> selectionKeys(const QString &selection)
{
    QString text = selection.trimmed();
    if (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')')))
        text = text.mid(1, text.size() - 2);
    QSet<QString> keys;
    for (QString part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        part = part.trimmed();
        if (part.size() >= 2 && part.startsWith(QLatin1Char('\'')) &&
            part.endsWith(QLatin1Char('\'')))
            part = part.mid(1, part.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
        keys.insert(part);
    }
    return keys;
}

} // namespace

TMultiSelectFrm::TMultiSelectFrm(QWidget *parent)
    : TFrmRoot(parent)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("MultiSelectFrm"));
    setWindowTitle(QStringLiteral("多选"));
    auto *layout = new QVBoxLayout(this);
    CheckList = new QListWidget(this);
    CheckList->setObjectName(QStringLiteral("CheckList"));
    layout->addWidget(CheckList, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("确定(&O)"), this);
    btnExit = new QPushButton(QStringLiteral("退出(&Q)"), this);
    for (QPushButton *button : {btnOk, btnExit}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, [this] { Guarded([this] { btnOkClick(); }); });
    connect(btnExit, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    resize(280, 400);
}

QString TMultiSelectFrm::KindCaption(const QString &kind)
{
    const QString k = kind.toUpper();
    if (k == QLatin1String("STOCK"))
        return QStringLiteral("仓库");
    if (k == QLatin1String("CUST"))
        return QStringLiteral("客户");
    if (k == QLatin1String("GYS"))
        return QStringLiteral("供应商");
    if (k == QLatin1String("GROUP"))
        return QStringLiteral("用户组");
    if (isAttribute(k))
        return QStringLiteral("货品属性");
    return {};
}

QString TMultiSelectFrm::KindSQL(const QString &kind)
{
    const QString k = kind.toUpper();
    if (k == QLatin1String("STOCK"))
        return QStringLiteral(" select id,mc from ck order by id");
    if (k == QLatin1String("CUST"))
        return QStringLiteral(" select id,mc from kh order by id");
    if (k == QLatin1String("GYS"))
        return QStringLiteral(" select id,mc from gys order by id");
    if (k == QLatin1String("GROUP"))
        return QStringLiteral(" select id,gName as mc from AppUserGroup order by id");
    if (isAttribute(k))
        return QStringLiteral(" select distinct ") + k + QLatin1Char(',') + k +
               QStringLiteral(" from HP order by ") + k;
    return {};
}

bool TMultiSelectFrm::isAttributeKind() const
{
    return isAttribute(Kind);
}

bool TMultiSelectFrm::SetKind(const QString &kind, const QString &selection)
{
    const QString sql = KindSQL(kind);
    if (sql.isEmpty())
        return false;
    Kind = kind.toUpper();
    QStringList names;
    QStringList ids;
    {
        TTmpDataSet tmp;
        tmp->SetCommandText(sql);
        tmp->Open();
        for (int row = 0; row < tmp->RowCount(); ++row) {
            const TClientDataSet::TRowScope scope(*tmp, row);
            const QString id = tmp->Fields(0)->AsString();
            if (isAttributeKind() && id.isEmpty())
                continue; // goods without the attribute
            ids << id;
            names << tmp->Fields(1)->AsString();
        }
    }
    SetItems(names, ids, selection);
    return true;
}

void TMultiSelectFrm::SetItems(const QStringList &names, const QStringList &ids,
                               const QString &selection)
{
    if (!KindCaption(Kind).isEmpty())
        setWindowTitle(QStringLiteral("请选择") + KindCaption(Kind));
    m_names = names;
    m_ids = ids;
    const QSet<QString> chosen = selectionKeys(selection);
    CheckList->clear();
    for (int i = 0; i < ids.size(); ++i) {
        auto *item = new QListWidgetItem(
            names.value(i) + QLatin1Char('(') + ids[i] + QLatin1Char(')'), CheckList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen.contains(ids[i]) ? Qt::Checked : Qt::Unchecked);
    }
}

void TMultiSelectFrm::btnOkClick()
{
    // The group list may begin with the pseudo group "所有" (key 0), which is no group.
    if (Kind == QLatin1String("GROUP") && CheckList->count() > 0 &&
        m_ids.value(0) == QLatin1String("0") && CheckList->item(0)->checkState() == Qt::Checked) {
        MessageBox(QStringLiteral("不能选择【所有(0)】"), QStringLiteral("信息"),
                   TMsgIcon::Warning);
        return;
    }
    QStringList ids;
    QStringList names;
    for (int i = 0; i < CheckList->count(); ++i) {
        if (CheckList->item(i)->checkState() != Qt::Checked)
            continue;
        ids << (isAttributeKind() ? QuotedStr(m_ids[i]) : m_ids[i]);
        names << m_names[i];
    }
    if (ids.isEmpty()) {
        MessageBox(windowTitle(), QStringLiteral("信息"), TMsgIcon::Information);
        return;
    }
    SelectedIDs = QLatin1Char('(') + ids.join(QLatin1Char(',')) + QLatin1Char(')');
    SelectedNames = names.join(QLatin1Char(','));
    SetModalResult(mrOk);
}

bool MultiSelect(const QString &kind, QString &ids, QString &names, QWidget *parent)
{
    TMultiSelectFrm dialog(parent);
    if (!dialog.SetKind(kind, ids) || dialog.ShowModal() != mrOk)
        return false;
    ids = dialog.SelectedIDs;
    names = dialog.SelectedNames;
    return true;
}
