// The shared routines that talk to the user: connecting at start-up with its two messages,
// restoring a script with the progress dialog, the default date range of a pair of date
// pickers, and the goods attribute columns of a grid. Their cores live in the data and
// common layers; these put windows around them.
#pragma once

#include "client/data/scriptrestore.h"
#include "client/security/systemfunctionright.h"

#include <QList>
#include <QPair>
#include <QString>

class TDBGrid;
class TDateTimePicker;
class TSocketConnection;

// Points the connection at the server SysConfig.ini names and connects; false after showing
// "连接服务器错误！" or "找不到服务器..." when it cannot.
bool ConnectServer(TSocketConnection *connection);

// "恢复数据": asks for a script file ("导入数据", text files) and restores it. Nothing happens
// when the user cancels the file dialog.
void RestoreFromScript();
// Restores the file's statements on the scratch dataset Tmp behind the progress dialog
// (whose cancel button asks "确实中断操作吗？"), shows "导入完成！" and saves the failing
// statements as ErorSql.txt in the current folder.
TScriptRestoreResult RestoreFromScript(const QString &fileName);

// Sets the two pickers to this workstation's default date range.
void ApplyDefaultDates(TDateTimePicker *from, TDateTimePicker *to);

// Adds a column per enabled goods attribute (FuncRight's AttrList) right after the grid's
// model column (GG) or name column.
void AddAttrColumns(TDBGrid *grid, const QList<QPair<QString, THPSXObj>> &attributes);
