// The shared routines with windows.
#include "client/forms/sharedroutines.h"

#include "client/common/attrcolumns.h"
#include "client/common/defaultdates.h"
#include "client/data/centraldata.h"
#include "client/data/socketconnection.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridcolumns.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QFileDialog>
#include <QPointer>

bool ConnectServer(TSocketConnection *connection)
{
    QString message;
    if (ConnectServer(connection, &message))
        return true;
    if (!message.isEmpty())
        ShowMessage(message);
    return false;
}

void RestoreFromScript()
{
    const QString fileName =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), QStringLiteral("导入数据"),
                                     QString(), QStringLiteral("文本文件(*.txt)"));
    if (!fileName.isEmpty())
        RestoreFromScript(fileName);
}

TScriptRestoreResult RestoreFromScript(const QString &fileName)
{
    const QStringList lines = ReadScriptFile(fileName);
    const QPointer<QWidget> active = QApplication::activeWindow();
    TScriptRestoreResult result;
    {
        // The dialog keeps the other windows from input while the statements run.
        TdlgProgress progress(active);
        progress.setWindowModality(Qt::ApplicationModal);
        progress.SetRange(0, int(lines.size()));
        progress.show();
        result = RestoreScriptLines(lines, Data().Tmp(), [&](int line, const QString &text) {
            TdlgProgress::ProcessMessages();
            if (progress.Cancelled()) {
                if (MessageBox(QStringLiteral("确实中断操作吗？"), QStringLiteral("询问"),
                               TMsgIcon::Question, TMsgButtons::YesNo) == mrYes)
                    return false;
                progress.ResetCancelled();
            }
            progress.SetPosition(line);
            progress.SetText(text);
            return true;
        });
        progress.SetCanClose(true);
        progress.close();
    }
    if (active)
        active->activateWindow();
    MessageBox(QStringLiteral("导入完成！"), QStringLiteral("信息"), TMsgIcon::Information);
    if (!result.Failed.isEmpty())
        SaveFailedStatements(result.Failed);
    return result;
}

void ApplyDefaultDates(TDateTimePicker *from, TDateTimePicker *to)
{
    const TDateRange range = DefaultDateRange(QDate::currentDate());
    if (from)
        from->SetDate(range.From);
    if (to)
        to->SetDate(range.To);
}

void AddAttrColumns(TDBGrid *grid, const QList<QPair<QString, THPSXObj>> &attributes)
{
    if (!grid)
        return;
    TDBGridColumns &columns = grid->Columns();
    QList<TGridColumnInfo> shown;
    for (int i = 0; i < columns.Count(); ++i)
        shown.append({columns[i]->FieldName(), columns[i]->Visible()});
    QList<TAttrItem> items;
    for (const auto &entry : attributes)
        items.append({entry.second.FieldName, entry.second.Caption});
    for (const TAttrColumn &planned : PlanAttrColumns(shown, items)) {
        TColumn *column = columns.Add(planned.FieldName, planned.Caption, planned.Width);
        if (!planned.DisplayFormat.isEmpty())
            column->SetDisplayFormat(planned.DisplayFormat);
        column->SetIndex(std::clamp(planned.Index, 0, columns.Count() - 1));
    }
}
