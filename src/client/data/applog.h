// The operation log AppLog: who did what, on which computer, when. A line goes into the same
// request as the work it describes, so the log holds a line exactly when the work was stored.
#pragma once

#include <QDateTime>
#include <QString>

// The statement that logs the operation ("保存单据 XK2026120001") for the logged-in user and
// this computer at the given time; the text is cut to the column's 100 bytes.
QString AppLogInsertSQL(const QString &operation,
                        const QDateTime &at = QDateTime::currentDateTime());

// Logs an operation that writes nothing else (a login). False when the server refused it; a
// failed log line never stops the user's work.
bool WriteAppLog(const QString &operation);
