#include "client/data/applog.h"

#include "client/common/gbk.h"
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/serveraccess.h"

namespace {

// Byte widths of the AppLog columns.
constexpr int UserBytes = 30;
constexpr int ComputerBytes = 50;
constexpr int OperationBytes = 100;

QString cut(const QString &text, int bytes)
{
    const int over = GbkLength(text) - bytes;
    return over > 0 ? GbkDropLast(text, over) : text;
}

} // namespace

QString AppLogInsertSQL(const QString &operation, const QDateTime &at)
{
    return QStringLiteral("insert into AppLog (uName, cName, CZ, RQ, SJ) values (") +
           QuotedStr(cut(CurUserName, UserBytes)) + QLatin1Char(',') +
           QuotedStr(cut(ComputerName, ComputerBytes)) + QLatin1Char(',') +
           QuotedStr(cut(operation, OperationBytes)) + QLatin1Char(',') + QLatin1Char('#') +
           at.date().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("#,") +
           QuotedStr(at.time().toString(QStringLiteral("HH:mm"))) + QLatin1Char(')');
}

bool WriteAppLog(const QString &operation)
{
    return ExecSQL(AppLogInsertSQL(operation));
}
