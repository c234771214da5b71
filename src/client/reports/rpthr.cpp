#include "client/reports/rpthr.h"

#include "client/common/lunar.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/widgets/dbgrid.h"

#include <QBoxLayout>
#include <QDateEdit>
#include <QLabel>
#include <QSplitter>
#include <QTreeWidget>

namespace {

enum Role { ConditionRole = Qt::UserRole, CaptionRole, ColumnRole };

struct TGroup
{
    const char *Name;   // "日"
    const char *Prefix; // "本日"
    bool OnDay;
};

const TGroup Groups[] = {{"日", "本日", true}, {"月", "本月", false}};

const TReportColumn Columns[] = {
    {"BH", "员工编号", 70},     {"XM", "姓名", 70},       {"aBMMC", "部门", 90},
    {"XB", "性别", 40},         {"ZW", "职务", 70},       {"CSRQ", "出生日期", 80},
    {"RZRQ", "入职日期", 80},   {"ZZRQ", "转正日期", 80}, {"QDRQ", "合同签订", 80},
    {"HTDQSJ", "合同到期", 80}, {"LZRQ", "离职日期", 80}, {"DH", "电话", 100},
};

QList<int> countsOf(const TReportContext &ctx, const QStringList &conditions)
{
    TClientDataSet &query = Data().DataSetByName(QStringLiteral("cdsQryPub"));
    query.Close();
    query.SetCommandText(HrReminderCountsSQL(ctx, conditions));
    query.Open();
    QList<int> counts;
    for (qsizetype i = 0; i < conditions.size(); ++i)
        counts << (query.IsEmpty() ? 0 : query.Fields(int(i))->AsInteger());
    query.Close();
    return counts;
}

} // namespace

QString LunarLabelText(QDate date)
{
    const TLunarDate lunar = LunarDateOf(date);
    if (!lunar.Valid)
        return {};
    return QString::asprintf(lunar.LeapMonth ? "农历闰 %d 月 %d 日" : "农历 %d 月 %d 日",
                             lunar.Month, lunar.Day);
}

TFrmRptRsTx::TFrmRptRsTx(QWidget *parent)
{
    setParent(parent, windowFlags());
    setObjectName(QStringLiteral("FrmRptRsTx"));
    setWindowTitle(QStringLiteral("人事信息提醒"));
    AddColumns(Columns);

    // Reminders fall on one day: the range and the quick periods mean nothing here.
    for (QWidget *unused : std::initializer_list<QWidget *>{dtpRqa, Label2, CombSelectedDate})
        unused->hide();
    lblLunar = new QLabel(Panel1);
    lblLunar->setObjectName(QStringLiteral("lblLunar"));
    if (auto *dates = qobject_cast<QBoxLayout *>(Panel1->layout()->itemAt(0)->layout()))
        dates->insertWidget(dates->indexOf(dtpRqb) + 1, lblLunar);

    fcTreeView2 = new QTreeWidget(this);
    fcTreeView2->setObjectName(QStringLiteral("fcTreeView2"));
    fcTreeView2->setHeaderHidden(true);
    m_root = new QTreeWidgetItem(fcTreeView2, {QStringLiteral("常用提醒")});
    for (const TGroup &group : Groups) {
        auto *node = new QTreeWidgetItem(m_root, {QString::fromUtf8(group.Name)});
        for (const THrReminder &reminder : HrReminders()) {
            const QString caption = QString::fromUtf8(group.Prefix) + reminder.Caption;
            auto *item = new QTreeWidgetItem(node, {caption});
            item->setData(0, CaptionRole, caption);
            item->setData(0, ColumnRole, reminder.Column);
        }
    }
    fcTreeView2->expandAll();

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    layout()->replaceWidget(DBGrid1, splitter);
    splitter->addWidget(fcTreeView2);
    splitter->addWidget(DBGrid1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 700});

    connect(fcTreeView2, &QTreeWidget::currentItemChanged, this,
            [this] { Guarded([this] { OpenDataSet(); }); });
}

void TFrmRptRsTx::FormCreate()
{
    TFrmRptModal::FormCreate();
    connect(dtpRqb, &QDateEdit::dateChanged, this,
            [this] { Guarded([this] { RebuildReminders(); }); });
    RebuildReminders();
}

QTreeWidgetItem *TFrmRptRsTx::ReminderNode(const QString &group, const QString &column) const
{
    for (int g = 0; g < m_root->childCount(); ++g) {
        QTreeWidgetItem *node = m_root->child(g);
        if (node->text(0) != group)
            continue;
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->data(0, ColumnRole).toString() == column)
                return node->child(i);
    }
    return nullptr;
}

void TFrmRptRsTx::RebuildReminders()
{
    const QDate date = dtpRqb->date();
    lblLunar->setText(LunarLabelText(date));
    QList<QTreeWidgetItem *> items;
    QStringList conditions;
    for (int g = 0; g < m_root->childCount(); ++g) {
        QTreeWidgetItem *node = m_root->child(g);
        const bool onDay = Groups[g].OnDay;
        for (int i = 0; i < node->childCount(); ++i) {
            QTreeWidgetItem *item = node->child(i);
            const QString condition =
                HrReminderCondition(item->data(0, ColumnRole).toString(), date, onDay);
            item->setData(0, ConditionRole, condition);
            items << item;
            conditions << condition;
        }
    }
    const QList<int> counts = countsOf(Context(), conditions);
    for (qsizetype i = 0; i < items.size(); ++i)
        items[i]->setText(0, items[i]->data(0, CaptionRole).toString() + QLatin1Char('(') +
                                 QString::number(counts[i]) + QLatin1Char(')'));
}

void TFrmRptRsTx::OpenDataSet()
{
    const QTreeWidgetItem *item = fcTreeView2->currentItem();
    const QString condition = item ? item->data(0, ConditionRole).toString() : QString();
    if (condition.isEmpty()) { // the root or a group: nothing of its own to list
        cdsQry->Close();
        return;
    }
    SetSQLText(HrReminderListSQL(condition));
    TFrmRptModal::OpenDataSet();
}
