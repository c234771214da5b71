// The user's quick-launch bar.
#include "client/shell/quickbar.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/forms/globalobj.h"
#include "client/shell/pictures.h"

#include <QAction>

namespace {

QString fieldText(const TClientDataSet &dataSet, const char *name)
{
    const TField *field = dataSet.FindField(QLatin1String(name));
    return field && !field->IsNull() ? field->AsString() : QString();
}

QList<TQuickItem> readList(TClientDataSet &dataSet, const QString &sql)
{
    OpenQuery(dataSet, sql);
    QList<TQuickItem> items;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        items.append({fieldText(dataSet, "FuncNodeName"), fieldText(dataSet, "FuncNodeNo"),
                      fieldText(dataSet, "ObjectType"), fieldText(dataSet, "ObjectName")});
    dataSet.Close();
    return items;
}

} // namespace

QString TQuickBar::TreeTableOf(const QString &kind)
{
    return QStringLiteral("Sys_FuncTree_") + kind;
}

QString TQuickBar::ListSQL(const QString &userCode, const QString &kind, const QString &treeTable)
{
    return QStringLiteral("select b.* from Sys_UserQuick a,") + treeTable +
           QStringLiteral(" b where a.FuncNodeNo=b.FuncNodeNo and UserNo=") + QuotedStr(userCode) +
           QStringLiteral(" and VZSystem=") + QuotedStr(kind) + QStringLiteral(" order by xh");
}

QList<TQuickItem> TQuickBar::LoadList(const QString &userCode, const QString &kind,
                                      TClientDataSet &dataSet)
{
    const QString tree = TreeTableOf(kind);
    QList<TQuickItem> items = readList(dataSet, ListSQL(userCode, kind, tree));
    if (items.isEmpty())
        items = readList(dataSet, ListSQL(QStringLiteral("pub"), kind, tree));
    return items;
}

void TQuickBar::Build(const QString &kind, QToolBar *bar)
{
    m_kind = kind;
    m_bar = bar;
    if (!bar || bar->isHidden())
        return;
    bar->setUpdatesEnabled(false);
    bar->clear();
    qDeleteAll(m_actions);
    m_actions.clear();
    auto addButton = [this, bar](const QString &name, const QString &caption,
                                 TFunctionPicture picture) {
        auto *action = new QAction(FunctionIcon(picture, 32), caption, bar);
        action->setObjectName(name);
        action->setProperty("picture", int(picture));
        QObject::connect(action, &QAction::triggered, bar, [this, name] {
            if (OnClick)
                OnClick(name);
        });
        if (IsEnabled)
            action->setEnabled(IsEnabled(name));
        bar->addAction(action);
        m_actions << action;
    };
    const QList<TQuickItem> items = LoadList(FuncRight().UserCode, kind, Data().Tmpl());
    for (const TQuickItem &item : items)
        addButton(item.ObjectName + QStringLiteral("_1"), item.Caption,
                  PictureOfObjectType(item.ObjectType));
    addButton(QStringLiteral("btnExit"), QStringLiteral("退出系统"), fpExit);
    bar->setUpdatesEnabled(true);
}

void TQuickBar::Rebuild()
{
    if (m_bar)
        Build(m_kind, m_bar);
}
