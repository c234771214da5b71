// Script restore.
#include "client/data/scriptrestore.h"

#include "client/common/gbk.h"
#include "client/data/serveraccess.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

QStringList ReadScriptFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = FromGbk(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

TScriptRestoreResult RestoreScriptLines(const QStringList &lines, TClientDataSet &dataSet,
                                        const TScriptProgress &progress)
{
    TScriptRestoreResult result;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (progress && !progress(i, line)) {
            result.Cancelled = true;
            break;
        }
        const QString statement = line.trimmed();
        if (statement.isEmpty() || statement.startsWith(QLatin1String("//")))
            continue;
        if (RunSQL(dataSet, line, false))
            ++result.Executed;
        else
            result.Failed.append(line);
    }
    return result;
}

bool SaveFailedStatements(const QStringList &failed, const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    for (const QString &statement : failed) {
        file.write(statement.toUtf8());
        file.write("\n");
    }
    return file.commit();
}

TScriptRestoreResult RestoreFromScriptFile(const QString &fileName, TClientDataSet &dataSet,
                                           const TScriptProgress &progress)
{
    TScriptRestoreResult result = RestoreScriptLines(ReadScriptFile(fileName), dataSet, progress);
    if (!result.Failed.isEmpty())
        SaveFailedStatements(result.Failed);
    return result;
}
