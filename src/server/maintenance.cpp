// Online backup copies and compaction of account-set databases.
#include "server/maintenance.h"

#include "server/requesterror.h"
#include "wire/protocol.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace server {

QString backupDatabase(sqlite3 *source, const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw RequestError(wire::code::Method,
                           QStringLiteral("cannot create the backup folder %1").arg(folder));
    // Names sort by time, to the millisecond.
    QString path;
    for (;;) {
        path =
            folder +
            QStringLiteral("/VzData-%1.db")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
        if (!QFileInfo::exists(path))
            break;
        QThread::msleep(1);
    }
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);

    sqlite3 *target = nullptr;
    int rc = sqlite3_open_v2(partial.toUtf8().constData(), &target,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    QString error;
    if (rc == SQLITE_OK) {
        // One step copies every page under one read transaction: a consistent snapshot,
        // while writers go on in the write-ahead log.
        sqlite3_backup *backup = sqlite3_backup_init(target, "main", source, "main");
        if (backup) {
            rc = sqlite3_backup_step(backup, -1);
            const int finished = sqlite3_backup_finish(backup);
            if (rc != SQLITE_DONE)
                error = QString::fromUtf8(sqlite3_errstr(rc));
            else if (finished != SQLITE_OK)
                error = QString::fromUtf8(sqlite3_errmsg(target));
        } else {
            error = QString::fromUtf8(sqlite3_errmsg(target));
        }
    } else {
        error = QString::fromUtf8(sqlite3_errstr(rc));
    }
    // The copy must stand on its own: no write-ahead log beside it.
    if (error.isEmpty() &&
        sqlite3_exec(target, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
        error = QString::fromUtf8(sqlite3_errmsg(target));
    sqlite3_close(target);
    if (!error.isEmpty() || !QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw RequestError(
            wire::code::Method,
            QStringLiteral("the backup failed: %1")
                .arg(error.isEmpty() ? QStringLiteral("cannot write ") + path : error));
    }

    QDir dir(folder);
    const QStringList copies =
        dir.entryList({QStringLiteral("VzData-*.db")}, QDir::Files, QDir::Name | QDir::Reversed);
    for (qsizetype i = BackupsKept; i < copies.size(); ++i)
        dir.remove(copies[i]);
    return path;
}

void compactDatabase(sqlite3 *db)
{
    if (sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw RequestError(wire::code::Method, QStringLiteral("compacting the database failed: %1")
                                                   .arg(QString::fromUtf8(sqlite3_errmsg(db))));
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
}

} // namespace server
