// The print-template list.
#include "client/admin/printmodallist.h"

#include "client/data/centraldata.h"
#include "client/masterdata/editrows.h"
#include "client/masterdata/printmodaledit.h"
#include "client/widgets/dbgrid.h"

#include <QTabBar>
#include <QToolButton>

TfrmPrintModalList::TfrmPrintModalList(QWidget *parent)
    : TfrmComJbzl(parent)
{
    setObjectName(QStringLiteral("frmPrintModalList"));
    setWindowTitle(QStringLiteral("打印模板设置"));
    TableName = QStringLiteral("Pub_PrintModal");
    AddColumns(DBGrid1, {{"ObjectName", "单据名称", 120},
                         {"FileName", "Excel模板", 240},
                         {"MasterBegin", "主表数据开始行", 90},
                         {"DetailRowBegin", "明细数据开始行", 90},
                         {"IsParam", "套打方式打印", 80},
                         {"RQ", "日期", 80}});
    resize(760, 420);
}

QString TfrmPrintModalList::ListSQL()
{
    return QStringLiteral("select * from Pub_PrintModal order by RQ");
}

void TfrmPrintModalList::FormShow()
{
    DBGrid1->SetDataSource(&Data().sPub_PrintModal());
    TfrmComJbzl::FormShow();
    // Templates have no audit state; they are deleted here like master data.
    TabStatus->hide();
    aDel->setVisible(true);
    btnDel->setVisible(true);
    btnModify->setText(QStringLiteral("编辑(&E)"));
}

void TfrmPrintModalList::OpenDataSet()
{
    if (ListDataSet)
        ListDataSet->SetCommandText(ListSQL());
    TfrmComJbzl::OpenDataSet();
}

void TfrmPrintModalList::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmPub_PrintModalEdit(this);
    TfrmComJbzl::LoadEditForm(Mode);
}
