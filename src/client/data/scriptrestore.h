// Restoring data from an SQL script: one statement per line, run in order on a dataset of the
// central module, "//" lines and empty lines skipped, failing lines collected and saved as
// ErorSql.txt for later inspection. The menu command wraps this in a file dialog and a
// cancellable progress dialog.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class TClientDataSet;

struct TScriptRestoreResult
{
    int Executed = 0;   // statements that ran without error
    QStringList Failed; // statements that failed, in order
    bool Cancelled = false;
};

// Called before each line with its index and text; returning false stops the restore there.
using TScriptProgress = std::function<bool(int line, const QString &text)>;

// The file's lines; UTF-8, or GBK when the file is not valid UTF-8.
QStringList ReadScriptFile(const QString &fileName);

// Runs every non-empty line that does not begin with "//" as a statement (RunSQL) on the
// dataset. A failing line does not stop the restore.
TScriptRestoreResult RestoreScriptLines(const QStringList &lines, TClientDataSet &dataSet,
                                        const TScriptProgress &progress = {});

// Writes the failed statements, one a line, to the file (ErorSql.txt in the current folder
// by default); false when it cannot be written.
bool SaveFailedStatements(const QStringList &failed,
                          const QString &fileName = QStringLiteral("ErorSql.txt"));

// The whole restore of a script file on the dataset: read, run, and save the failures as
// ErorSql.txt in the current folder when there are any.
TScriptRestoreResult RestoreFromScriptFile(const QString &fileName, TClientDataSet &dataSet,
                                           const TScriptProgress &progress = {});
