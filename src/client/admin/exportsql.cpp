// The export of the account set as an SQL script.
#include "client/admin/exportsql.h"

#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/forms/filedialogs.h"
#include "client/forms/tablescript.h"
#include "client/output/gridexport.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

bool IsExportedTable(const QString &tableName)
{
    for (const char *part : {"MSys", "vi_", "rpt_", "DY"})
        if (tableName.contains(QLatin1String(part)))
            return false;
    return tableName != QLatin1String("QY3") && tableName != QLatin1String("QY1");
}

TFrmExportSQL::TFrmExportSQL(QWidget *parent)
    : TFrmRoot(parent)
{
    setObjectName(QStringLiteral("FrmExportSQL"));
    setWindowTitle(QStringLiteral("数据导出为SQL文本"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(380, 420);
    auto *layout = new QHBoxLayout(this);
    QBTables = new QListWidget(this);
    QBTables->setObjectName(QStringLiteral("QBTables"));
    layout->addWidget(QBTables, 1);
    auto *buttons = new QVBoxLayout;
    const auto button = [this, buttons](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        return b;
    };
    Button3 = button("Button3", QStringLiteral("全选"));
    Button4 = button("Button4", QStringLiteral("全不选"));
    buttons->addSpacing(16);
    Button5 = button("Button5", QStringLiteral("导出数据"));
    buttons->addStretch(1);
    Button1 = button("Button1", QStringLiteral("关闭"));
    layout->addLayout(buttons);
    connect(Button3, &QPushButton::clicked, this, [this] { setAllChecked(true); });
    connect(Button4, &QPushButton::clicked, this, [this] { setAllChecked(false); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TFrmExportSQL::FormCreate()
{
    TFrmRoot::FormCreate();
    QString names;
    if (!Guarded([&] { names = Data().cn().AppServer().GetTableNames(); }))
        return;
    for (const QString &name : names.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        if (!IsExportedTable(name))
            continue;
        auto *item = new QListWidgetItem(name, QBTables);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

QStringList TFrmExportSQL::CheckedTables() const
{
    QStringList tables;
    for (int i = 0; i < QBTables->count(); ++i)
        if (QBTables->item(i)->checkState() == Qt::Checked)
            tables << QBTables->item(i)->text();
    return tables;
}

void TFrmExportSQL::setAllChecked(bool checked)
{
    for (int i = 0; i < QBTables->count(); ++i)
        QBTables->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TFrmExportSQL::Button5Click()
{
    TFileDialogRequest request;
    request.Title = windowTitle();
    request.FileName = QStringLiteral("导出数据_") +
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    request.Filters = {QStringLiteral("文本文件(*.txt)")};
    const auto answer = PromptForFile(request);
    if (!answer)
        return;
    const QString fileName =
        output::withExportExtension(answer->FileName, output::ExportFormat::Text);
    const TScriptValues values = ExactScriptValues(SessionInfo().DatabaseKind);
    QStringList lines;
    bool saved = false;
    QString error;
    {
        TBusyMessage busy(QStringLiteral("正在导出数据，请稍候..."));
        // A table the server cannot read stops the export before anything is written.
        if (!Guarded([&] {
                for (const QString &table : CheckedTables())
                    AppendServerTableScript(table, lines, values);
            }))
            return;
        saved = SaveScriptLines(lines, fileName, &error);
    }
    if (!saved) {
        MessageBox(QStringLiteral("文件不能保存：") + error, QStringLiteral("错误"),
                   TMsgIcon::Error);
        return;
    }
    MessageBox(QStringLiteral("导出完成！"), QStringLiteral("信息"), TMsgIcon::Information);
}
