// The operation log.
#include "client/admin/log.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString Caption = QStringLiteral("操作日志");

QString dateText(QDate date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

TfrmLog::TfrmLog(QWidget *parent)
    : TfrmComJbzl(parent)
{
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(Caption);
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("uName"), QStringLiteral("用户"), 100);
    columns.Add(QStringLiteral("cName"), QStringLiteral("计算机"), 120);
    columns.Add(QStringLiteral("CZ"), QStringLiteral("操作"), 300);
    columns.Add(QStringLiteral("RQ"), QStringLiteral("日期"), 90);
    columns.Add(QStringLiteral("SJ"), QStringLiteral("时间"), 70);

    // Lines are written by the work they describe, never here.
    aNew->SetTag(1);
    aModify->SetTag(1);
    btnNew->hide();
    btnModify->hide();
    btnDel->hide();

    auto *tools = static_cast<QHBoxLayout *>(ToolBar1->layout());
    int at = tools->indexOf(btnDel) + 1;
    auto *label = new QLabel(QStringLiteral("删除日期"), ToolBar1);
    tools->insertWidget(at++, label);
    dtpRqa = new TDateTimePicker(ToolBar1);
    dtpRqa->setObjectName(QStringLiteral("dtpRqa"));
    tools->insertWidget(at++, dtpRqa);
    btnDelLog = NewToolButton(ToolBar1, QStringLiteral("btnDelLog"));
    btnDelLog->setText(QStringLiteral("删除"));
    tools->insertWidget(at++, btnDelLog);
    connect(btnDelLog, &QToolButton::clicked, this, [this] { Guarded([this] { askPurge(); }); });

    pnlDelete = new TPanel(this);
    pnlDelete->setObjectName(QStringLiteral("pnlDelete"));
    pnlDelete->SetBevel(TPanel::bvRaised);
    pnlDelete->setAutoFillBackground(true);
    auto *panel = new QVBoxLayout(pnlDelete);
    panel->setContentsMargins(16, 16, 16, 12);
    lblDelete = new QLabel(pnlDelete);
    lblDelete->setObjectName(QStringLiteral("lblDelete"));
    lblDelete->setAlignment(Qt::AlignCenter);
    panel->addWidget(lblDelete);
    auto *buttons = new QHBoxLayout;
    btnYes = new QPushButton(QStringLiteral("是(&Y)"), pnlDelete);
    btnYes->setObjectName(QStringLiteral("btnYes"));
    btnNo = new QPushButton(QStringLiteral("否(&N)"), pnlDelete);
    btnNo->setObjectName(QStringLiteral("btnNo"));
    for (QPushButton *button : {btnYes, btnNo})
        button->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(btnYes);
    buttons->addWidget(btnNo);
    buttons->addStretch(1);
    panel->addLayout(buttons);
    pnlDelete->hide();
    connect(btnYes, &QPushButton::clicked, this, [this] { Guarded([this] { purge(); }); });
    connect(btnNo, &QPushButton::clicked, pnlDelete, &QWidget::hide);
}

QString TfrmLog::PurgeSQL(QDate through)
{
    // A date literal of its own: the workstation's short date format may read otherwise.
    return QStringLiteral("delete From AppLog where RQ <= #") + dateText(through) +
           QLatin1Char('#');
}

void TfrmLog::FormShow()
{
    DBGrid1->SetDataSource(&Data().sAppLog());
    TfrmComJbzl::FormShow();
    TabStatus->hide();
    lbl_Search->setText(QStringLiteral("用户/操作："));
    dtpRqa->SetDate(QDate::currentDate());
}

void TfrmLog::OpenDataSet()
{
    if (ListDataSet) {
        QString sql = QStringLiteral("select * from AppLog where 1=1");
        const QString text = RzBtnNo->text().trimmed();
        if (!text.isEmpty())
            sql += QStringLiteral(" and (uName like ") + QuotedStr(text + QLatin1Char('%')) +
                   QStringLiteral(" or CZ like ") +
                   QuotedStr(QLatin1Char('%') + text + QLatin1Char('%')) + QLatin1Char(')');
        ListDataSet->SetCommandText(sql + QStringLiteral(" order by RQ desc, SJ desc, ID desc"));
    }
    TfrmComJbzl::OpenDataSet();
}

void TfrmLog::askPurge()
{
    lblDelete->setText(QStringLiteral("确定要删除") + dateText(dtpRqa->Date()) +
                       QStringLiteral("及之前的日志资料吗?"));
    pnlDelete->adjustSize();
    centrePanel();
    pnlDelete->show();
    pnlDelete->raise();
    btnNo->setFocus();
}

void TfrmLog::purge()
{
    const QDate through = dtpRqa->Date();
    if (!ExecSQL(PurgeSQL(through))) {
        MessageBox(QStringLiteral("删除日志失败！"), Caption, TMsgIcon::Error);
        return;
    }
    OpenDataSet();
    ShowMessage(QStringLiteral("已删除 ") + dateText(through) +
                QStringLiteral(" 及之前的日志资料!"));
    pnlDelete->hide();
}

void TfrmLog::centrePanel()
{
    pnlDelete->move((width() - pnlDelete->width()) / 2, (height() - pnlDelete->height()) / 2);
}

void TfrmLog::resizeEvent(QResizeEvent *event)
{
    TfrmComJbzl::resizeEvent(event);
    centrePanel();
}
